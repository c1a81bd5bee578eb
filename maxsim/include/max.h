#pragma once
// The host's general interface, as a plug-in includes it. The skin
// modifier's interfaces (iskin.h), the standard plug-ins' class ids
// (istdplug.h), modifier stacks (modstack.h) and the standard material
// (stdmat.h) have headers of their own that a plug-in includes itself.
// Set before anything is included: every other header here refuses to
// compile without it, as the host's own headers expect max.h first.
#define MAXSIM_MAX_H_INCLUDED

#include "maxtypes.h"

#include "animtbl.h"
#include "bitarray.h"
#include "control.h"
#include "custcont.h"
#include "impexp.h"
#include "imtl.h"
#include "inode.h"
#include "interval.h"
#include "log.h"
#include "matrix3.h"
#include "maxapi.h"
#include "maxheap.h"
#include "mesh.h"
#include "notify.h"
#include "object.h"
#include "plugapi.h"
#include "point3.h"
#include "polyobj.h"
#include "quat.h"
#include "ref.h"
#include "strclass.h"
#include "tab.h"
#include "triobj.h"

#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "istdplug.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "plugapi.h"

// The bone object of the bone system.
#define BONE_OBJ_CLASSID Class_ID(0x28bf6e8d, 0x2ecca840)

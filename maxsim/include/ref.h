#pragma once
#include "ReferenceMaker.h"
#include "ReferenceTarget.h"

#define REFMSG_LOOPTEST 0x00000010
#define REFMSG_TARGET_DELETED 0x00000020
#define REFMSG_CHANGE 0x00000050
#define REFMSG_USER 0x00010000

#define PART_TOPO (1 << 0)
#define PART_GEOM (1 << 1)
#define PART_TEXMAP (1 << 2)
#define PART_MTL (1 << 3)
#define PART_SELECT (1 << 4)

#pragma once
#include "FlagUser.h"

// Flags shared by the parts of a polygon mesh.
#define MN_SEL (1 << 0)
#define MN_DEAD (1 << 1)
#define MN_TARG (1 << 2)

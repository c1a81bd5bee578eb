#pragma once
#include "plugapi.h"

// The bone object of the bone system.
#define BONE_OBJ_CLASSID Class_ID(0x28bf6e8d, 0x2ecca840)

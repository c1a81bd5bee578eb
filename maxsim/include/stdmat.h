#pragma once
#include "Mtl.h"

// The standard material.
class StdMat : public Mtl
{
};

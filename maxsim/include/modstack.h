#pragma once
#include "IDerivedObject.h"

CoreExport IDerivedObject* CreateDerivedObject(Object* pob = nullptr);

#pragma once
#include "object.h"
#include "plugapi.h"

class CoreExport GeomObject : public Object
{
public:
    SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
};

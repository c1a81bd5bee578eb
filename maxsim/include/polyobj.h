#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "polyobj.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "MNMesh.h"
#include "object.h"

// The editable poly object: an MNMesh.
class CoreExport PolyObject : public GeomObject {
public:
    MNMesh mm;

    PolyObject();
    ~PolyObject() override;

    MNMesh& GetMesh() { return mm; }

    Class_ID ClassID() override;
    void GetClassName(TSTR& s) override;
    int CanConvertToType(Class_ID obtype) override;
    Object* ConvertToType(TimeValue t, Class_ID obtype) override;
    Object* MakeShallowCopy(ChannelMask channels) override;
    int IsDeformable() override;
    int NumPoints() override;
    Point3 GetPoint(int i) override;
    void SetPoint(int i, const Point3& p) override;
    void PointsWereChanged() override;
};

CoreExport PolyObject* CreateEditablePolyObject();

// The editable poly object's class id.
#define EPOLYOBJ_CLASS_ID Class_ID(0x1bf8338d, 0x192f6098)

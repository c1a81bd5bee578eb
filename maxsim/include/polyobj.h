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
    // The new object shares the given channels and has them locked.
    Object* MakeShallowCopy(ChannelMask channels) override;
    void ShallowCopy(Object* fromOb, ChannelMask channels) override;
    void FreeChannels(ChannelMask channels) override;
    void NewAndCopyChannels(ChannelMask channels) override;
    int IsDeformable() override;
    int NumPoints() override;
    Point3 GetPoint(int i) override;
    // A locked geometry channel is not this object's to change.
    void SetPoint(int i, const Point3& p) override;
    void PointsWereChanged() override;
};

CoreExport PolyObject* CreateEditablePolyObject();

// The editable poly object's class id.
#define EPOLYOBJ_CLASS_ID Class_ID(0x1bf8338d, 0x192f6098)

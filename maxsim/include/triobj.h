#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "triobj.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "mesh.h"
#include "object.h"

// The editable mesh object: a triangle Mesh.
class CoreExport TriObject : public GeomObject {
public:
    Mesh mesh;

    TriObject();
    ~TriObject() override;

    Mesh& GetMesh() { return mesh; }

    Class_ID ClassID() override;
    void GetClassName(TSTR& s) override;
    int CanConvertToType(Class_ID obtype) override;
    // Poly conversion builds a new object, one face per triangle.
    Object* ConvertToType(TimeValue t, Class_ID obtype) override;
    Object* MakeShallowCopy(ChannelMask channels) override;
    int IsDeformable() override;
    int NumPoints() override;
    Point3 GetPoint(int i) override;
    void SetPoint(int i, const Point3& p) override;
};

CoreExport TriObject* CreateNewTriObject();

#pragma once
#include "max.h"

#include "mesh.h"
#include "object.h"
#include <string>
#include <vector>

namespace maxsim {
// A built-in object of any superclass and class id: geometry as a triangle
// mesh (possibly empty, as for cameras, lights and helpers) and the class
// ids it converts to. Converting to its own class answers itself; to the
// poly object class, a new poly object from its triangles; to any other
// listed class, a new object of that class with the same geometry.
class CoreExport PrimitiveObject : public Object {
public:
    PrimitiveObject(SClass_ID superClassID, Class_ID classID, const char* className);
    ~PrimitiveObject() override;

    SClass_ID SuperClassID() override;
    Class_ID ClassID() override;
    void GetClassName(TSTR& s) override;
    int CanConvertToType(Class_ID obtype) override;
    Object* ConvertToType(TimeValue t, Class_ID obtype) override;
    Object* MakeShallowCopy(ChannelMask channels) override;
    int IsDeformable() override;
    int NumPoints() override;
    Point3 GetPoint(int i) override;
    void SetPoint(int i, const Point3& p) override;

    void AddConversion(Class_ID target);
    // Geometry: an axis-aligned box between two corners.
    void SetBox(const Point3& lo, const Point3& hi);
    // Geometry: a closed flat outline in the z = 0 plane, as a triangle fan.
    void SetOutline(const std::vector<Point3>& points);
    Mesh& GetMesh() { return m_mesh; }
    // A bone's length along its x axis; only bone objects have one.
    float GetLength() const { return m_length; }
    void SetLength(float length);

private:
    SClass_ID m_superClassID;
    Class_ID m_classID;
    std::string m_className;
    std::vector<Class_ID> m_conversions;
    Mesh m_mesh;
    float m_length;
};
} // namespace maxsim

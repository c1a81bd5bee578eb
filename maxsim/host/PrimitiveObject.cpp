#include "PrimitiveObject.h"

#include "max.h"

#include "polyobj.h"

namespace maxsim {
PrimitiveObject::PrimitiveObject(SClass_ID superClassID, Class_ID classID, const char* className)
    : m_superClassID(superClassID), m_classID(classID), m_className(className ? className : ""), m_length(0.0f) {}

PrimitiveObject::~PrimitiveObject() {}

SClass_ID PrimitiveObject::SuperClassID() {
    return m_superClassID;
}
Class_ID PrimitiveObject::ClassID() {
    return m_classID;
}
void PrimitiveObject::GetClassName(TSTR& s) {
    s = m_className.c_str();
}

int PrimitiveObject::CanConvertToType(Class_ID obtype) {
    if (obtype == m_classID)
        return 1;
    for (const Class_ID& c : m_conversions)
        if (c == obtype)
            return 1;
    return 0;
}

Object* PrimitiveObject::ConvertToType(TimeValue, Class_ID obtype) {
    if (obtype == m_classID)
        return this;
    if (!CanConvertToType(obtype))
        return nullptr;
    if (obtype == Class_ID(POLYOBJ_CLASS_ID, 0)) {
        PolyObject* p = new PolyObject;
        p->mm.SetFromTri(m_mesh);
        return p;
    }
    PrimitiveObject* copy = new PrimitiveObject(m_superClassID, obtype, m_className.c_str());
    copy->m_mesh = m_mesh;
    copy->m_length = m_length;
    return copy;
}

Object* PrimitiveObject::MakeShallowCopy(ChannelMask) {
    PrimitiveObject* copy = new PrimitiveObject(m_superClassID, m_classID, m_className.c_str());
    copy->m_conversions = m_conversions;
    copy->m_mesh = m_mesh;
    copy->m_length = m_length;
    return copy;
}

int PrimitiveObject::IsDeformable() {
    return m_mesh.numVerts > 0 ? 1 : 0;
}
int PrimitiveObject::NumPoints() {
    return m_mesh.numVerts;
}

Point3 PrimitiveObject::GetPoint(int i) {
    return i >= 0 && i < m_mesh.numVerts ? m_mesh.verts[i] : Point3(0.0f, 0.0f, 0.0f);
}

void PrimitiveObject::SetPoint(int i, const Point3& p) {
    if (i >= 0 && i < m_mesh.numVerts)
        m_mesh.verts[i] = p;
}

void PrimitiveObject::AddConversion(Class_ID target) {
    if (!CanConvertToType(target))
        m_conversions.push_back(target);
}

void PrimitiveObject::SetBox(const Point3& lo, const Point3& hi) {
    m_mesh.setNumVerts(8);
    for (int i = 0; i < 8; ++i)
        m_mesh.verts[i] = Point3((i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z);
    // Two outward-facing triangles per side.
    static const int tris[12][3] = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4},
                                    {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}};
    m_mesh.setNumFaces(12);
    for (int i = 0; i < 12; ++i) {
        m_mesh.faces[i].setVerts(tris[i][0], tris[i][1], tris[i][2]);
        m_mesh.faces[i].setSmGroup(1u << (i / 2));
        m_mesh.faces[i].setMatID(MtlID(i / 2));
    }
    NotifyDependents(FOREVER, PART_GEOM | PART_TOPO, REFMSG_CHANGE);
}

void PrimitiveObject::SetOutline(const std::vector<Point3>& points) {
    const int n = int(points.size());
    m_mesh.setNumVerts(n);
    for (int i = 0; i < n; ++i)
        m_mesh.verts[i] = points[size_t(i)];
    m_mesh.setNumFaces(n >= 3 ? n - 2 : 0);
    for (int i = 0; i + 2 < n; ++i)
        m_mesh.faces[i].setVerts(0, i + 1, i + 2);
    NotifyDependents(FOREVER, PART_GEOM | PART_TOPO, REFMSG_CHANGE);
}

// A bone is a box along +x, as thick as a tenth of its length.
void PrimitiveObject::SetLength(float length) {
    m_length = length;
    const float w = length > 0.0f ? length * 0.05f : 0.05f;
    SetBox(Point3(0.0f, -w, -w), Point3(length, w, w));
}
} // namespace maxsim

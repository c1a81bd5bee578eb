#include "max.h"

#include "triobj.h"

#include "HostRules.h"
#include "polyobj.h"

TriObject::TriObject() {}
TriObject::~TriObject() {
    maxsim::HostRules::Instance().Forget(this);
}

Class_ID TriObject::ClassID() {
    return Class_ID(TRIOBJ_CLASS_ID, 0);
}
void TriObject::GetClassName(TSTR& s) {
    s = "Editable Mesh";
}

int TriObject::CanConvertToType(Class_ID obtype) {
    return obtype == ClassID() || obtype == Class_ID(POLYOBJ_CLASS_ID, 0) ? 1 : 0;
}

Object* TriObject::ConvertToType(TimeValue, Class_ID obtype) {
    if (obtype == ClassID())
        return this;
    if (obtype == Class_ID(POLYOBJ_CLASS_ID, 0)) {
        PolyObject* p = new PolyObject;
        p->mm.SetFromTri(mesh);
        return p;
    }
    return nullptr;
}

Object* TriObject::MakeShallowCopy(ChannelMask) {
    TriObject* t = new TriObject;
    t->mesh = mesh;
    return t;
}

int TriObject::IsDeformable() {
    return 1;
}
int TriObject::NumPoints() {
    return mesh.numVerts;
}
Point3 TriObject::GetPoint(int i) {
    return i >= 0 && i < mesh.numVerts ? mesh.verts[i] : Point3(0.0f, 0.0f, 0.0f);
}

void TriObject::SetPoint(int i, const Point3& p) {
    if (i >= 0 && i < mesh.numVerts)
        mesh.verts[i] = p;
}

TriObject* CreateNewTriObject() {
    return new TriObject;
}

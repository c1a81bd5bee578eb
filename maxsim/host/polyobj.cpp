#include "max.h"

#include "polyobj.h"

#include "HostRules.h"
#include "triobj.h"

PolyObject::PolyObject() {}
PolyObject::~PolyObject() {
    maxsim::HostRules::Instance().Forget(this);
}

Class_ID PolyObject::ClassID() {
    return Class_ID(POLYOBJ_CLASS_ID, 0);
}
void PolyObject::GetClassName(TSTR& s) {
    s = "Editable Poly";
}

int PolyObject::CanConvertToType(Class_ID obtype) {
    return obtype == ClassID() ? 1 : 0;
}

// A poly object is already what a poly conversion asks for.
Object* PolyObject::ConvertToType(TimeValue, Class_ID obtype) {
    return obtype == ClassID() ? this : nullptr;
}

Object* PolyObject::MakeShallowCopy(ChannelMask channels) {
    PolyObject* p = new PolyObject;
    p->ShallowCopy(this, channels);
    return p;
}

void PolyObject::ShallowCopy(Object* fromOb, ChannelMask channels) {
    PolyObject* from = dynamic_cast<PolyObject*>(fromOb);
    if (from == nullptr || from == this)
        return;
    mm.ShallowCopy(&from->mm, channels);
    LockChannels(channels & OBJ_CHANNELS);
}

void PolyObject::FreeChannels(ChannelMask channels) {
    mm.FreeChannels(channels);
    UnlockChannels(channels);
}

void PolyObject::NewAndCopyChannels(ChannelMask channels) {
    mm.NewAndCopyChannels(channels);
}

int PolyObject::IsDeformable() {
    return 1;
}
int PolyObject::NumPoints() {
    return mm.numv;
}
Point3 PolyObject::GetPoint(int i) {
    return i >= 0 && i < mm.numv ? mm.P(i) : Point3(0.0f, 0.0f, 0.0f);
}

void PolyObject::SetPoint(int i, const Point3& p) {
    if (GetChannelLocks() & GEOM_CHANNEL)
        maxsim::HostRules::Instance().Broken("PolyObject::SetPoint changed a point of a locked geometry channel (a "
                                             "shallow copy's locked channel is read-only)");
    if (i >= 0 && i < mm.numv)
        mm.P(i) = p;
}

void PolyObject::PointsWereChanged() {
    mm.InvalidateGeomCache();
}

PolyObject* CreateEditablePolyObject() {
    return new PolyObject;
}

#include "max.h"

#include "object.h"

Class_ID defObjectClassID(0x00000fd9, 0);
Class_ID triObjectClassID(0x00000009, 0);
Class_ID polyObjectClassID(0x5d21369a, 0);

Object::Object() {}
Object::~Object() {}

int Object::CanConvertToType(Class_ID obtype) {
    return obtype == ClassID() ? 1 : 0;
}

Object* Object::ConvertToType(TimeValue, Class_ID obtype) {
    return obtype == ClassID() ? this : nullptr;
}

ObjectState Object::Eval(TimeValue) {
    return ObjectState(this);
}
Object* Object::CollapseObject() {
    return this;
}
Object* Object::FindBaseObject() {
    return this;
}
Object* Object::MakeShallowCopy(ChannelMask) {
    return nullptr;
}
Interval Object::ObjectValidity(TimeValue) {
    return FOREVER;
}
int Object::IsDeformable() {
    return 0;
}
int Object::NumPoints() {
    return 0;
}
Point3 Object::GetPoint(int) {
    return Point3(0.0f, 0.0f, 0.0f);
}
void Object::SetPoint(int, const Point3&) {}
void Object::PointsWereChanged() {}

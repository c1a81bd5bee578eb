#include "max.h"

#include "object.h"

#include "HostRules.h"

Class_ID defObjectClassID(0x00000fd9, 0);
Class_ID triObjectClassID(0x00000009, 0);
Class_ID polyObjectClassID(0x5d21369a, 0);

Object::Object() : m_locked(0) {}
Object::~Object() {
    maxsim::HostRules::Instance().Drop(this);
}

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
void Object::ShallowCopy(Object*, ChannelMask) {}
void Object::FreeChannels(ChannelMask) {}
void Object::NewAndCopyChannels(ChannelMask) {}

void Object::CopyChannelLocks(Object* obj, ChannelMask needChannels) {
    if (obj)
        m_locked = (m_locked & ~needChannels) | (obj->m_locked & needChannels);
}

void Object::ReadyChannelsForMod(ChannelMask channels) {
    const ChannelMask locked = channels & m_locked & ALL_CHANNELS;
    if (locked == 0)
        return;
    NewAndCopyChannels(locked);
    UnlockChannels(locked);
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

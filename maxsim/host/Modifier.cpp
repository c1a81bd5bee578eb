#include "max.h"

#include "object.h"

Modifier::Modifier() {}
Modifier::~Modifier() {}
SClass_ID Modifier::SuperClassID() {
    return OSM_CLASS_ID;
}
Class_ID Modifier::InputType() {
    return defObjectClassID;
}
ChannelMask Modifier::ChannelsUsed() {
    return ALL_CHANNELS;
}
ChannelMask Modifier::ChannelsChanged() {
    return ALL_CHANNELS;
}
TSTR Modifier::GetName() {
    return m_name;
}
void Modifier::SetName(TSTR n) {
    m_name = n;
}

void Modifier::DisableMod() {
    SetAFlag(A_MOD_DISABLED);
    NotifyDependents(FOREVER, ALL_CHANNELS, REFMSG_CHANGE);
}

void Modifier::EnableMod() {
    ClearAFlag(A_MOD_DISABLED);
    NotifyDependents(FOREVER, ALL_CHANNELS, REFMSG_CHANGE);
}

void Modifier::DisableModInViews() {
    SetAFlag(A_MOD_DISABLED_INVIEWS);
    NotifyDependents(FOREVER, ALL_CHANNELS, REFMSG_CHANGE);
}

void Modifier::EnableModInViews() {
    ClearAFlag(A_MOD_DISABLED_INVIEWS);
    NotifyDependents(FOREVER, ALL_CHANNELS, REFMSG_CHANGE);
}

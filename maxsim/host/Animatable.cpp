#include "max.h"

#include "animtbl.h"

Animatable::Animatable() : aflag(0) {}
Animatable::~Animatable() {}
void Animatable::GetClassName(TSTR& s) {
    s = "Animatable";
}
Class_ID Animatable::ClassID() {
    return Class_ID(0, 0);
}
void Animatable::DeleteThis() {
    delete this;
}
void* Animatable::GetInterface(ULONG) {
    return nullptr;
}
void Animatable::ReleaseInterface(ULONG, void*) {}
BaseInterface* Animatable::GetInterface(Interface_ID) {
    return nullptr;
}

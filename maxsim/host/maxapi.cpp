#include "max.h"

#include "maxapi.h"

#include "DerivedObject.h"
#include "HostInterface.h"
#include "custcont.h"
#include "modstack.h"
#include "notify.h"

Interface* GetCOREInterface() {
    return &maxsim::HostInterface::Instance();
}
Interface7* GetCOREInterface7() {
    return &maxsim::HostInterface::Instance();
}
Interface8* GetCOREInterface8() {
    return &maxsim::HostInterface::Instance();
}
Interface9* GetCOREInterface9() {
    return &maxsim::HostInterface::Instance();
}

// The host publishes no function interfaces.
FPInterface* GetCOREInterface(Interface_ID) {
    return nullptr;
}

IDerivedObject* CreateDerivedObject(Object* pob) {
    maxsim::DerivedObject* d = new maxsim::DerivedObject;
    if (pob)
        d->ReferenceObject(pob);
    return d;
}

int RegisterNotification(NOTIFYPROC proc, void* param, int code) {
    return maxsim::HostInterface::Instance().RegisterNotification(proc, param, code);
}

int UnRegisterNotification(NOTIFYPROC proc, void* param, int code) {
    return maxsim::HostInterface::Instance().UnRegisterNotification(proc, param, code);
}

void BroadcastNotification(int code) {
    maxsim::HostInterface::Instance().BroadcastNotification(code, nullptr);
}

void BroadcastNotification(int code, void* callParam) {
    maxsim::HostInterface::Instance().BroadcastNotification(code, callParam);
}

void InitCustomControls(HINSTANCE hInst) {
    maxsim::HostInterface::Instance().InitCustomControls(hInst);
}

#include "max.h"

#include "maxapi.h"

#include "DerivedObject.h"
#include "HostInterface.h"
#include "custcont.h"
#include "iFnPub.h"
#include "modstack.h"
#include "notify.h"
#include <algorithm>
#include <vector>

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

// The host itself publishes no function interfaces; plug-ins may.
namespace {
std::vector<FPInterface*>& CoreInterfaces() {
    static std::vector<FPInterface*> published;
    return published;
}
} // namespace

FPInterface* GetCOREInterface(Interface_ID id) {
    for (FPInterface* fpi : CoreInterfaces())
        if (fpi->GetID() == id)
            return fpi;
    return nullptr;
}

void RegisterCOREInterface(FPInterface* fpi) {
    std::vector<FPInterface*>& published = CoreInterfaces();
    if (fpi != nullptr && std::find(published.begin(), published.end(), fpi) == published.end())
        published.push_back(fpi);
}

void UnregisterCOREInterface(FPInterface* fpi) {
    std::vector<FPInterface*>& published = CoreInterfaces();
    published.erase(std::remove(published.begin(), published.end(), fpi), published.end());
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

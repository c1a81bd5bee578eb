#include "maxapi.h"

#include "UCoreInterface.h"
#include "UDerivedObject.h"
#include "custcont.h"
#include "modstack.h"
#include "notify.h"

Interface* GetCOREInterface() { return &maxsim::UCoreInterface::Instance(); }
Interface7* GetCOREInterface7() { return &maxsim::UCoreInterface::Instance(); }
Interface8* GetCOREInterface8() { return &maxsim::UCoreInterface::Instance(); }
Interface9* GetCOREInterface9() { return &maxsim::UCoreInterface::Instance(); }

// The host publishes no function interfaces.
FPInterface* GetCOREInterface(Interface_ID) { return nullptr; }

IDerivedObject* CreateDerivedObject(Object* pob)
{
    maxsim::UDerivedObject* d = new maxsim::UDerivedObject;
    if (pob)
        d->ReferenceObject(pob);
    return d;
}

int RegisterNotification(NOTIFYPROC proc, void* param, int code)
{
    return maxsim::UCoreInterface::Instance().RegisterNotification(proc, param, code);
}

int UnRegisterNotification(NOTIFYPROC proc, void* param, int code)
{
    return maxsim::UCoreInterface::Instance().UnRegisterNotification(proc, param, code);
}

void BroadcastNotification(int code) { maxsim::UCoreInterface::Instance().BroadcastNotification(code, nullptr); }

void BroadcastNotification(int code, void* callParam)
{
    maxsim::UCoreInterface::Instance().BroadcastNotification(code, callParam);
}

void InitCustomControls(HINSTANCE hInst) { maxsim::UCoreInterface::Instance().InitCustomControls(hInst); }

#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "notify.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "coreexp.h"
#include "maxheap.h"

#define NOTIFY_SYSTEM_SHUTDOWN 0x00000049

struct NotifyInfo {
    int intcode;
    void* callParam;
};

typedef void (*NOTIFYPROC)(void* param, NotifyInfo* info);

// Registers proc for the notification code; answers 1, or 0 when this
// proc and param are already registered for it.
CoreExport int RegisterNotification(NOTIFYPROC proc, void* param, int code);
// Answers 1 when the registration existed.
CoreExport int UnRegisterNotification(NOTIFYPROC proc, void* param, int code);
CoreExport void BroadcastNotification(int code);
CoreExport void BroadcastNotification(int code, void* callParam);

#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "log.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "maxheap.h"
#include "maxtypes.h"

#define SYSLOG_ERROR 0x00000001
#define SYSLOG_WARN 0x00000002
#define SYSLOG_INFO 0x00000004
#define SYSLOG_DEBUG 0x00000008

#define NO_DIALOG FALSE
#define DISPLAY_DIALOG TRUE

// The host's system log. LogEntry formats its text printf-style.
class LogSys : public MaxHeapOperators {
public:
    virtual ~LogSys() {}
    virtual DWORD LogTypes() = 0;
    virtual void SetLogTypes(DWORD types) = 0;
    virtual void LogEntry(DWORD type, BOOL dialogue, TCHAR* title, TCHAR* format, ...) = 0;
};

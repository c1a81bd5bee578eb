#pragma once

#include <vector>

#include "UCoreInterface.h"

// The stand-in host's system log, emptied when the recorder is made and when it goes.
class HostLogRecorder {
public:
    using Entry = maxsim::ULogSys::Entry;

    HostLogRecorder() { Log().Clear(); }
    ~HostLogRecorder() { Log().Clear(); }
    HostLogRecorder(const HostLogRecorder&) = delete;
    HostLogRecorder& operator=(const HostLogRecorder&) = delete;

    const std::vector<Entry>& Entries() const { return Log().Entries(); }
    void Clear() { Log().Clear(); }

private:
    static maxsim::ULogSys& Log() { return maxsim::UCoreInterface::Instance().GetLog(); }
};

// The host going down, as plug-ins hear of it.
inline void BroadcastHostShutdown() {
    maxsim::UCoreInterface::Instance().BroadcastNotification(NOTIFY_SYSTEM_SHUTDOWN, nullptr);
}

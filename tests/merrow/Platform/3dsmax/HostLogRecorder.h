#pragma once

#include <vector>

#include "HostInterface.h"

// The stand-in host's system log, emptied when the recorder is made and when it goes.
class HostLogRecorder {
public:
    using Entry = maxsim::SystemLog::Entry;

    HostLogRecorder() { Log().Clear(); }
    ~HostLogRecorder() { Log().Clear(); }
    HostLogRecorder(const HostLogRecorder&) = delete;
    HostLogRecorder& operator=(const HostLogRecorder&) = delete;

    const std::vector<Entry>& Entries() const { return Log().Entries(); }
    void Clear() { Log().Clear(); }

private:
    static maxsim::SystemLog& Log() { return maxsim::HostInterface::Instance().GetLog(); }
};

// The host going down, as plug-ins hear of it.
inline void BroadcastHostShutdown() {
    maxsim::HostInterface::Instance().BroadcastNotification(NOTIFY_SYSTEM_SHUTDOWN, nullptr);
}

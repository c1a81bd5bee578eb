#pragma once
#include "max.h"

#include "coreexp.h"
#include "log.h"
#include <functional>
#include <string>
#include <vector>

namespace maxsim {
// The host's system log: entries are formatted printf-style, kept, and
// handed to a sink (the session prints them).
class CoreExport SystemLog : public LogSys {
public:
    struct Entry {
        DWORD type;
        std::string title;
        std::string text;
    };
    typedef std::function<void(const Entry&)> Sink;

    SystemLog();

    DWORD LogTypes() override;
    void SetLogTypes(DWORD types) override;
    void LogEntry(DWORD type, BOOL dialogue, TCHAR* title, TCHAR* format, ...) override;

    const std::vector<Entry>& Entries() const { return m_entries; }
    void Clear() { m_entries.clear(); }
    void SetSink(Sink sink) { m_sink = std::move(sink); }

private:
    DWORD m_types;
    std::vector<Entry> m_entries;
    Sink m_sink;
};
} // namespace maxsim

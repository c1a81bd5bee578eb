#include "SystemLog.h"

#include "FormatText.h"

#include <cstdarg>
#include <cstdio>

namespace maxsim {
SystemLog::SystemLog() : m_types(SYSLOG_ERROR | SYSLOG_WARN | SYSLOG_INFO | SYSLOG_DEBUG) {}

DWORD SystemLog::LogTypes() {
    return m_types;
}
void SystemLog::SetLogTypes(DWORD types) {
    m_types = types;
}

void SystemLog::LogEntry(DWORD type, BOOL, TCHAR* title, TCHAR* format, ...) {
    if (!(type & m_types) || !format)
        return;
    va_list args;
    va_start(args, format);
    std::string text = FormatText(format, args);
    va_end(args);
    Entry entry{type, title ? title : "", text};
    m_entries.push_back(entry);
    if (m_sink)
        m_sink(entry);
}
} // namespace maxsim

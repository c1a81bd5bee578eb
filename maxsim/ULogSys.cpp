#include "ULogSys.h"

#include "UFormatText.h"

#include <cstdarg>
#include <cstdio>

namespace maxsim
{
ULogSys::ULogSys() : m_types(SYSLOG_ERROR | SYSLOG_WARN | SYSLOG_INFO | SYSLOG_DEBUG) {}

DWORD ULogSys::LogTypes() { return m_types; }
void ULogSys::SetLogTypes(DWORD types) { m_types = types; }

void ULogSys::LogEntry(DWORD type, BOOL, TCHAR* title, TCHAR* format, ...)
{
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

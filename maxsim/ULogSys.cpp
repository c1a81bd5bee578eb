#include "ULogSys.h"

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
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (n > 0)
    {
        text.resize(size_t(n) + 1);
        std::vsnprintf(&text[0], text.size(), format, again);
        text.resize(size_t(n));
    }
    va_end(again);
    Entry entry{type, title ? title : "", text};
    m_entries.push_back(entry);
    if (m_sink)
        m_sink(entry);
}
} // namespace maxsim

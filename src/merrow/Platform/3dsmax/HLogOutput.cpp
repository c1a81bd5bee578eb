#include "merrow/Platform/3dsmax/HLogOutput.h"

#include <cstring>

#include "max.h"

#include "log.h"
#include "maxapi.h"

namespace merrow::platform_3dsmax {

void HLogOutput::Begin() {
    Lock();
    m_open = true;
    m_message.Empty();
}

void HLogOutput::Write(const orlo::UBaseString<unsigned char>& text) {
    if (m_open) {
        try {
            m_message += text;
            return;
        } catch (...) {
            // No room to collect it: hand what was collected and this piece over as they are.
            HandToHost(m_message.c_str(), m_message.Length());
            m_message.Empty();
        }
    }
    HandToHost(text.c_str(), text.Length());
}

void HLogOutput::WriteUncopied(const char* text) {
    if (m_open) {
        HandToHost(m_message.c_str(), m_message.Length());
        m_message.Empty();
    }
    HandToHost(text, strlen(text));
}

void HLogOutput::End() {
    if (m_open) {
        m_open = false;
        const char* text = m_message.c_str();
        size_t length = strlen(text);
        // The channel's closing line break: the host ends each entry itself.
        if (length >= 2 && text[length - 2] == '\r' && text[length - 1] == '\n')
            length -= 2;
        HandToHost(text, length);
        m_message.Empty();
    }
    Unlock();
}

void HLogOutput::HandToHost(const char* text, size_t length) {
    if (length == 0)
        return;
    Interface* host = GetCOREInterface();
    LogSys* log = host != nullptr ? host->Log() : nullptr;
    if (log == nullptr)
        return;
    static char format[] = "%.*s";
    log->LogEntry(m_hostLogType, NO_DIALOG, nullptr, format, static_cast<int>(length), text);
}

} // namespace merrow::platform_3dsmax

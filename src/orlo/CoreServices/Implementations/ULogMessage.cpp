#include "orlo/CoreServices/Implementations/ULogMessage.h"

namespace orlo {

// Logging never raises: text that cannot be stored is left out of the message.

ULogMessage::ULogMessage(ILog* channel, const char* text) : m_channel(channel) {
    if (m_channel == nullptr)
        return;
    try {
        m_channel->Begin();
    } catch (...) {
        // A message that did not begin is not ended either.
        m_channel = nullptr;
        return;
    }
    *this += text;
}

ULogMessage::ULogMessage(ILog* channel, const UBaseString<unsigned char>& text) : ULogMessage(channel, text.c_str()) {}

ULogMessage::~ULogMessage() {
    if (m_channel == nullptr)
        return;
    // Ended even when writing raised, so that the channel's lock is left.
    try {
        m_channel->Write(m_text);
    } catch (...) {
    }
    try {
        m_channel->End();
    } catch (...) {
    }
}

ULogMessage& ULogMessage::operator+=(const char* text) {
    if (m_channel != nullptr && text != nullptr) {
        try {
            m_text += text;
        } catch (const ErrorDescription&) {
        }
    }
    return *this;
}

ULogMessage& ULogMessage::operator+=(const UBaseString<unsigned char>& text) {
    return *this += text.c_str();
}

ULogMessage& ULogMessage::operator+=(uint32_t number) {
    char digits[16];
    return *this += UBaseString<unsigned char>::FormatUnsigned(number, digits);
}

} // namespace orlo

#include "orlo/CoreServices/Implementations/ULogMessage.h"

namespace orlo {

// Logging never raises: text that cannot be stored is left out of the message.

ULogMessage::ULogMessage(ILog* channel, const char* text) : m_channel(channel) {
    if (m_channel == nullptr)
        return;
    m_channel->Begin();
    *this += text;
}

ULogMessage::ULogMessage(ILog* channel, const UBaseString<unsigned char>& text) : ULogMessage(channel, text.c_str()) {}

ULogMessage::~ULogMessage() {
    if (m_channel == nullptr)
        return;
    m_channel->Write(m_text);
    m_channel->End();
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

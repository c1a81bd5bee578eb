#pragma once

#include <cstdint>

#include "orlo/CoreServices/Interfaces/ILog.h"
#include "orlo/Utils/UBaseString.h"

namespace orlo {

// A message being built: creating it begins a message on the channel,
// appended text accumulates, and finishing it writes the whole text at once
// and ends the message. A message for no channel keeps and writes nothing.
//
//     ULogMessage(channel, "Can't open file \"") += path + "\" for reading.";
class ULogMessage {
public:
    ULogMessage(ILog* channel, const char* text = nullptr);
    ULogMessage(ILog* channel, const UBaseString<unsigned char>& text);
    ~ULogMessage();
    ULogMessage(const ULogMessage&) = delete;
    ULogMessage& operator=(const ULogMessage&) = delete;

    ULogMessage& operator+=(const char* text);
    ULogMessage& operator+=(const UBaseString<unsigned char>& text);
    ULogMessage& operator+=(uint32_t number);

    const UBaseString<unsigned char>& GetText() const { return m_text; }

private:
    ILog* m_channel;
    UBaseString<unsigned char> m_text;
};

} // namespace orlo

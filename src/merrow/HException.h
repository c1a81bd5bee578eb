#pragma once

#include <cstdint>

#include "orlo/Utils/UBaseString.h"

namespace merrow {

// The host layer's exception type: a message and a result code. The glue
// catches it beside orlo::ErrorDescription.
class HException {
public:
    HException(const char* message, int32_t resultCode) : m_message(message), m_resultCode(resultCode) {}

    const orlo::UBaseString<unsigned char>& GetMessageText() const { return m_message; }
    int32_t GetResultCode() const { return m_resultCode; }

private:
    orlo::UBaseString<unsigned char> m_message;
    int32_t m_resultCode;
};

} // namespace merrow

#pragma once

#include "orlo/Utils/UBaseString.h"

namespace orlo {

// A log object: a channel, an output slot, or a target such as the host's
// log. A message is Begin, any number of Write calls, then End; Lock and
// Unlock enter and leave the object's own critical section.
class ILog {
public:
    virtual ~ILog() noexcept(false) = default;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
    virtual void Begin() = 0;
    virtual void Write(const UBaseString<unsigned char>& text) = 0;
    virtual void End() = 0;
};

} // namespace orlo

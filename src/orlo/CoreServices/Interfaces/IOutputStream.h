#pragma once

#include <cstdint>

#include "orlo/Utils/UBaseString.h"

namespace orlo {

// A destination of bytes. A write fails when fewer bytes than asked were
// written; failures set the flag that the next successful call clears.
class IOutputStream {
public:
    // Writes `size` bytes; returns how many were written.
    virtual uint64_t Serialize(const void* buffer, uint64_t size) = 0;
    // Destroying a stream closes a destination that is still open.
    virtual ~IOutputStream() noexcept(false) = default;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual UBaseString<unsigned char> GetName() const = 0;
    // Forces buffered data to its destination.
    virtual bool Flush() = 0;

    bool HasFailed() const { return m_failed; }

protected:
    bool Succeeded(bool success) {
        m_failed = !success;
        return success;
    }

    bool m_failed = false;
};

} // namespace orlo

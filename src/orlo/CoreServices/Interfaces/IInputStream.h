#pragma once

#include <cstdint>

#include "orlo/Utils/UBaseString.h"

namespace orlo {

// A source of bytes: files, archive members, memory. Failed reads, seeks and
// position queries are reported through results and the failure flag, which
// the next successful call clears; they do not raise.
class IInputStream {
public:
    // Reads up to `size` bytes; returns how many were read.
    virtual uint64_t Serialize(void* buffer, uint64_t size) = 0;
    // Destroying a stream closes a source that is still open.
    virtual ~IInputStream() noexcept(false) = default;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual UBaseString<unsigned char> GetName() const = 0;
    virtual uint64_t GetSize() = 0;
    virtual uint64_t GetPosition() = 0;
    virtual bool SeekToStart() = 0;
    virtual bool SeekToEnd() = 0;
    virtual bool SeekForward(uint64_t count) = 0;
    virtual bool SeekBackward(uint64_t count) = 0;
    virtual bool IsAtEnd() = 0;

    bool HasFailed() const { return m_failed; }

protected:
    // Records the outcome of a call in the failure flag and returns it.
    bool Succeeded(bool success) {
        m_failed = !success;
        return success;
    }

    bool m_failed = false;
};

} // namespace orlo

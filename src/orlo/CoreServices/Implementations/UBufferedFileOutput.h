#pragma once

#include <cstdint>

#include "orlo/CoreServices/Interfaces/IOutputStream.h"

namespace orlo {

// The write side shared by the file output streams: small writes gather in a
// block that goes to the file in one call when it is full, on Flush() and on
// Close(), so that a writer handing over every number on its own does not
// make one system call per number. A write at least as long as the block goes
// to the file directly, after what is gathered.
//
//     uint64_t Serialize(const void* bytes, uint64_t size) override {
//         ... checks of the request ...
//         return Put(bytes, size);
//     }
//
// Bytes that were accepted and then could not reach the file leave a gap in
// it: from then on the stream is failed for good (every later write, flush and
// close reports the failure), so that the loss shows wherever the caller
// looks, however late.
class UBufferedFileOutput : public IOutputStream {
public:
    static constexpr uint32_t BLOCK_SIZE = 64 * 1024;

    UBufferedFileOutput() = default;
    UBufferedFileOutput(const UBufferedFileOutput&) = delete;
    UBufferedFileOutput& operator=(const UBufferedFileOutput&) = delete;

protected:
    // Writes straight to the open file; returns how many bytes arrived.
    virtual uint64_t WriteToFile(const void* bytes, uint64_t size) = 0;

    // Buffers or writes the bytes of an open stream; returns how many were taken.
    uint64_t Put(const void* bytes, uint64_t size);
    // Writes what is gathered to the file; false when some of it did not arrive
    // (the stream is then failed for good).
    bool Drain();
    // Whether bytes that were accepted never reached the file.
    bool HasLostData() const { return m_lost; }

private:
    unsigned char m_block[BLOCK_SIZE];
    uint32_t m_blockUsed = 0;
    bool m_lost = false;
};

} // namespace orlo

#pragma once

#include <cstdint>

#include "orlo/CoreServices/Interfaces/IInputStream.h"
#include "orlo/Utils/UArray.h"
#include "orlo/Utils/UBaseString.h"

namespace orlo {

// An input stream over bytes held in memory, under a name of the caller's: a
// copy of the caller's bytes, or an array handed over whole (an archive's
// member, a test's file).
//
//     UInputStream_Memory stream("scene.qro", text, length);
//
// A seek past either end fails and stops at that end; after Close() every
// call fails.
class UInputStream_Memory : public IInputStream {
public:
    UInputStream_Memory(const char* name, const void* data, uint64_t size);
    UInputStream_Memory(const char* name, UArray<unsigned char>&& data);
    UInputStream_Memory(const UInputStream_Memory&) = delete;
    UInputStream_Memory& operator=(const UInputStream_Memory&) = delete;

    uint64_t Serialize(void* buffer, uint64_t size) override;
    void Close() override;
    bool IsOpen() const override { return m_open; }
    UBaseString<unsigned char> GetName() const override { return m_name; }
    uint64_t GetSize() override;
    uint64_t GetPosition() override;
    bool SeekToStart() override;
    bool SeekToEnd() override;
    bool SeekForward(uint64_t count) override;
    bool SeekBackward(uint64_t count) override;
    bool IsAtEnd() override;

    // The number of bytes held, without touching the failure flag.
    uint64_t GetByteCount() const { return uint64_t(m_data.Num()); }

private:
    UBaseString<unsigned char> m_name;
    UArray<unsigned char> m_data;
    uint64_t m_position = 0;
    bool m_open = true;
};

} // namespace orlo

#pragma once

#include <cstdint>

#include "orlo/CoreServices/Interfaces/IOutputStream.h"
#include "orlo/Utils/UArray.h"
#include "orlo/Utils/UBaseString.h"

namespace orlo {

// An output stream that collects the written bytes in memory. A stream made
// with a capacity limit accepts only that many bytes, as a full disk would.
class UOutputStream_Memory : public IOutputStream {
public:
    explicit UOutputStream_Memory(const char* name, uint64_t capacityLimit = UINT64_MAX);

    uint64_t Serialize(const void* buffer, uint64_t size) override;
    void Close() override { m_open = false; }
    bool IsOpen() const override { return m_open; }
    UBaseString<unsigned char> GetName() const override { return m_name; }
    bool Flush() override { return Succeeded(m_open); }

    // The bytes written so far, also after Close().
    const UArray<unsigned char>& GetData() const { return m_data; }
    const unsigned char* GetBytes() const { return m_data.GetData(); }
    uint64_t GetLength() const { return uint64_t(m_data.Num()); }

private:
    UBaseString<unsigned char> m_name;
    UArray<unsigned char> m_data;
    uint64_t m_capacityLimit;
    bool m_open = true;
};

} // namespace orlo

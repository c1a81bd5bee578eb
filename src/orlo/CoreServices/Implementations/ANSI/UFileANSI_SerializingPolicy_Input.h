#pragma once

#include <cstdint>
#include <cstdio>

#include "orlo/CoreServices/Interfaces/IInputStream.h"
#include "orlo/Utils/UBaseString.h"

namespace orlo {

// A file opened for reading through the C library. The stream owns the file
// and closes it on Close() or destruction.
class UFileANSI_SerializingPolicy_Input : public IInputStream {
public:
    UFileANSI_SerializingPolicy_Input(FILE* file, const UString& path);
    ~UFileANSI_SerializingPolicy_Input() noexcept(false) override;
    UFileANSI_SerializingPolicy_Input(const UFileANSI_SerializingPolicy_Input&) = delete;
    UFileANSI_SerializingPolicy_Input& operator=(const UFileANSI_SerializingPolicy_Input&) = delete;

    // A request of 2^31 bytes or more is refused by an assure check. Fewer
    // bytes at the end of the file are a success.
    uint64_t Serialize(void* buffer, uint64_t size) override;
    void Close() override;
    bool IsOpen() const override { return m_file != nullptr; }
    UString GetName() const override { return m_path; }
    uint64_t GetSize() override;
    uint64_t GetPosition() override;
    bool SeekToStart() override;
    bool SeekToEnd() override;
    bool SeekForward(uint64_t count) override;
    bool SeekBackward(uint64_t count) override;
    bool IsAtEnd() override;

private:
    bool SeekBy(int64_t distance, int origin);

    FILE* m_file;
    UString m_path;
};

} // namespace orlo

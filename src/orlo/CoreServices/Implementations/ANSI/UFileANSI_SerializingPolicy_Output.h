#pragma once

#include <cstdint>
#include <cstdio>

#include "orlo/CoreServices/Implementations/UBufferedFileOutput.h"
#include "orlo/Utils/UBaseString.h"

namespace orlo {

// A file opened for writing through the C library. The stream owns the file
// and closes it on Close() or destruction. Writes gather in the stream's own
// block (the C library's buffer is switched off, so that there is one buffer
// and one place where its failures show); Flush() and Close() write it out.
class UFileANSI_SerializingPolicy_Output : public UBufferedFileOutput {
public:
    UFileANSI_SerializingPolicy_Output(FILE* file, const UString& path);
    ~UFileANSI_SerializingPolicy_Output() noexcept(false) override;
    UFileANSI_SerializingPolicy_Output(const UFileANSI_SerializingPolicy_Output&) = delete;
    UFileANSI_SerializingPolicy_Output& operator=(const UFileANSI_SerializingPolicy_Output&) = delete;

    // A request of 2^31 bytes or more is refused by an assure check.
    uint64_t Serialize(const void* buffer, uint64_t size) override;
    void Close() override;
    bool IsOpen() const override { return m_file != nullptr; }
    UString GetName() const override { return m_path; }
    bool Flush() override;

protected:
    uint64_t WriteToFile(const void* bytes, uint64_t size) override;

private:
    FILE* m_file;
    UString m_path;
};

} // namespace orlo

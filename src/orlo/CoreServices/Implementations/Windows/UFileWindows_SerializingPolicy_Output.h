#pragma once

#include <cstdint>

#include "orlo/CoreServices/Implementations/UBufferedFileOutput.h"
#include "orlo/Utils/UBaseString.h"

namespace orlo::platform_windows {

// A file opened for writing through Win32. The stream owns the handle and
// closes it on Close() or destruction. Writes gather in the stream's block;
// Flush() and Close() write it out.
class UFileWindows_SerializingPolicy_Output : public UBufferedFileOutput {
public:
    UFileWindows_SerializingPolicy_Output(void* handle, const UString& path);
    ~UFileWindows_SerializingPolicy_Output() noexcept(false) override;
    UFileWindows_SerializingPolicy_Output(const UFileWindows_SerializingPolicy_Output&) = delete;
    UFileWindows_SerializingPolicy_Output& operator=(const UFileWindows_SerializingPolicy_Output&) = delete;

    // A request of 2^31 bytes or more is refused by an assure check.
    uint64_t Serialize(const void* buffer, uint64_t size) override;
    void Close() override;
    bool IsOpen() const override { return m_handle != nullptr; }
    UString GetName() const override { return m_path; }
    bool Flush() override;

protected:
    uint64_t WriteToFile(const void* bytes, uint64_t size) override;

private:
    void* m_handle;
    UString m_path;
};

} // namespace orlo::platform_windows

#pragma once

#include <cstdint>

#include "orlo/CoreServices/Interfaces/IInputStream.h"
#include "orlo/Utils/UBaseString.h"

namespace orlo::platform_windows {

// A file opened for reading through Win32. The stream owns the handle (kept as
// void* so that no platform header reaches its users) and closes it on
// Close() or destruction. Seeks move by 32-bit distances.
class UFileWindows_SerializingPolicy_Input : public IInputStream {
public:
    UFileWindows_SerializingPolicy_Input(void* handle, const UString& path);
    ~UFileWindows_SerializingPolicy_Input() noexcept(false) override;
    UFileWindows_SerializingPolicy_Input(const UFileWindows_SerializingPolicy_Input&) = delete;
    UFileWindows_SerializingPolicy_Input& operator=(const UFileWindows_SerializingPolicy_Input&) = delete;

    // A request of 2^31 bytes or more is refused by an assure check.
    uint64_t Serialize(void* buffer, uint64_t size) override;
    void Close() override;
    bool IsOpen() const override { return m_handle != nullptr; }
    UString GetName() const override { return m_path; }
    uint64_t GetSize() override;
    uint64_t GetPosition() override;
    bool SeekToStart() override;
    bool SeekToEnd() override;
    bool SeekForward(uint64_t count) override;
    bool SeekBackward(uint64_t count) override;
    bool IsAtEnd() override;

private:
    bool Move(int64_t distance, uint32_t method);

    void* m_handle;
    UString m_path;
};

} // namespace orlo::platform_windows

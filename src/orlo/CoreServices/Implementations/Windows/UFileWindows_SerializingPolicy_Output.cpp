#ifdef _WIN32

#include "orlo/CoreServices/Implementations/Windows/UFileWindows_SerializingPolicy_Output.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "orlo/ErrorDescription.h"

namespace orlo::platform_windows {

UFileWindows_SerializingPolicy_Output::UFileWindows_SerializingPolicy_Output(void* handle, const UString& path)
    : m_handle(handle), m_path(path) {}

UFileWindows_SerializingPolicy_Output::~UFileWindows_SerializingPolicy_Output() noexcept(false) {
    Close();
}

uint64_t UFileWindows_SerializingPolicy_Output::Serialize(const void* buffer, uint64_t size) {
    // Shifted unsigned, so that the check holds for every size.
    assure_as(size < (uint64_t(1) << 31), "size < (1<<31)");
    // A stream that lost bytes stays failed, also for an empty write.
    if (!Succeeded(m_handle != nullptr && !HasLostData()))
        return 0;
    if (size == 0)
        return 0;
    return Put(buffer, size);
}

uint64_t UFileWindows_SerializingPolicy_Output::WriteToFile(const void* bytes, uint64_t size) {
    DWORD count = 0;
    if (WriteFile(m_handle, bytes, DWORD(size), &count, nullptr) == 0)
        return 0;
    return count;
}

// Closing writes what is still gathered: a failure there is a failed write.
// Otherwise the flag stays as the last call left it.
void UFileWindows_SerializingPolicy_Output::Close() {
    if (m_handle == nullptr)
        return;
    bool failed = HasFailed();
    bool drained = Drain();
    CloseHandle(m_handle);
    m_handle = nullptr;
    Succeeded(drained && !failed);
}

bool UFileWindows_SerializingPolicy_Output::Flush() {
    return Succeeded(m_handle != nullptr && Drain() && FlushFileBuffers(m_handle) != 0);
}

} // namespace orlo::platform_windows

#endif

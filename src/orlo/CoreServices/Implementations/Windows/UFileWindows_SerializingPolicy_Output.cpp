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
    if (!Succeeded(m_handle != nullptr))
        return 0;
    DWORD count = 0;
    bool written = WriteFile(m_handle, buffer, DWORD(size), &count, nullptr) != 0;
    Succeeded(written && count == size);
    return count;
}

void UFileWindows_SerializingPolicy_Output::Close() {
    if (m_handle != nullptr)
        CloseHandle(m_handle);
    m_handle = nullptr;
}

bool UFileWindows_SerializingPolicy_Output::Flush() {
    return Succeeded(m_handle != nullptr && FlushFileBuffers(m_handle) != 0);
}

} // namespace orlo::platform_windows

#endif

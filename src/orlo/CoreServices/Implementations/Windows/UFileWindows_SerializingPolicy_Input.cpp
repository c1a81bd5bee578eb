#ifdef _WIN32

#include "orlo/CoreServices/Implementations/Windows/UFileWindows_SerializingPolicy_Input.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "orlo/ErrorDescription.h"

namespace orlo::platform_windows {

UFileWindows_SerializingPolicy_Input::UFileWindows_SerializingPolicy_Input(void* handle, const UString& path)
    : m_handle(handle), m_path(path) {}

UFileWindows_SerializingPolicy_Input::~UFileWindows_SerializingPolicy_Input() noexcept(false) {
    Close();
}

uint64_t UFileWindows_SerializingPolicy_Input::Serialize(void* buffer, uint64_t size) {
    // Shifted unsigned, so that the check holds for every size.
    assure_as(size < (uint64_t(1) << 31), "size < (1<<31)");
    if (!Succeeded(m_handle != nullptr))
        return 0;
    DWORD count = 0;
    Succeeded(ReadFile(m_handle, buffer, DWORD(size), &count, nullptr) != 0);
    return count;
}

void UFileWindows_SerializingPolicy_Input::Close() {
    if (m_handle != nullptr)
        CloseHandle(m_handle);
    m_handle = nullptr;
}

uint64_t UFileWindows_SerializingPolicy_Input::GetSize() {
    if (!Succeeded(m_handle != nullptr))
        return 0;
    DWORD size = ::GetFileSize(m_handle, nullptr);
    return Succeeded(size != INVALID_FILE_SIZE) ? size : 0;
}

uint64_t UFileWindows_SerializingPolicy_Input::GetPosition() {
    if (!Succeeded(m_handle != nullptr))
        return 0;
    DWORD position = SetFilePointer(m_handle, 0, nullptr, FILE_CURRENT);
    return Succeeded(position != INVALID_SET_FILE_POINTER) ? position : 0;
}

bool UFileWindows_SerializingPolicy_Input::Move(int64_t distance, uint32_t method) {
    if (m_handle == nullptr || distance < INT32_MIN || distance > INT32_MAX)
        return Succeeded(false);
    return Succeeded(SetFilePointer(m_handle, LONG(distance), nullptr, method) != INVALID_SET_FILE_POINTER);
}

bool UFileWindows_SerializingPolicy_Input::SeekToStart() {
    return Move(0, FILE_BEGIN);
}

bool UFileWindows_SerializingPolicy_Input::SeekToEnd() {
    return Move(0, FILE_END);
}

bool UFileWindows_SerializingPolicy_Input::SeekForward(uint64_t count) {
    return count <= uint64_t(INT32_MAX) ? Move(int64_t(count), FILE_CURRENT) : Succeeded(false);
}

bool UFileWindows_SerializingPolicy_Input::SeekBackward(uint64_t count) {
    return count <= uint64_t(INT32_MAX) ? Move(-int64_t(count), FILE_CURRENT) : Succeeded(false);
}

bool UFileWindows_SerializingPolicy_Input::IsAtEnd() {
    if (m_handle == nullptr)
        return true;
    uint64_t position = GetPosition();
    return position >= GetSize();
}

} // namespace orlo::platform_windows

#endif

#include "orlo/CoreServices/Implementations/ULock.h"

#include <new>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <mutex>
#endif

namespace orlo {

#ifdef _WIN32
using PlatformLock = CRITICAL_SECTION;
#else
using PlatformLock = std::recursive_mutex;
#endif

static_assert(sizeof(PlatformLock) <= 64 && alignof(PlatformLock) <= 8, "ULock storage too small");

namespace {
PlatformLock& Platform(unsigned char* storage) {
    return *std::launder(reinterpret_cast<PlatformLock*>(storage));
}
} // namespace

#ifdef _WIN32

ULock::ULock() {
    InitializeCriticalSection(new (m_storage) CRITICAL_SECTION);
}
ULock::~ULock() {
    DeleteCriticalSection(&Platform(m_storage));
}
void ULock::Enter() {
    EnterCriticalSection(&Platform(m_storage));
}
void ULock::Leave() {
    LeaveCriticalSection(&Platform(m_storage));
}

#else

ULock::ULock() {
    new (m_storage) std::recursive_mutex;
}
ULock::~ULock() {
    Platform(m_storage).~recursive_mutex();
}
void ULock::Enter() {
    Platform(m_storage).lock();
}
void ULock::Leave() {
    Platform(m_storage).unlock();
}

#endif

} // namespace orlo

#ifdef _WIN32

#include "orlo/CoreServices/Implementations/Windows/UMemoryAllocator_Windows.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "orlo/CoreServices/Implementations/ULogMessage.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/CoreServices/Interfaces/Memory.h"

namespace orlo::platform_windows {

void* UMemoryAllocator_Windows::Allocate(uint32_t size, const char* location) {
    if (size == 0)
        return nullptr;
    void* block = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (block == nullptr) {
        char text[ALLOCATION_FAILURE_SIZE];
        ULogMessage(GetWarningChannel(), FormatAllocationFailure(size, location, text, sizeof(text)));
    }
    return block;
}

void UMemoryAllocator_Windows::Free(void* block, const char* location) {
    if (block == nullptr)
        return;
    if (!VirtualFree(block, 0, MEM_RELEASE)) {
        ULogMessage message(GetWarningChannel(), "memory release from location \"");
        message += location;
        message += "\" failed";
    }
}

} // namespace orlo::platform_windows

#endif

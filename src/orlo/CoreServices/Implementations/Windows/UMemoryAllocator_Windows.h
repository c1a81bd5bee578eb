#pragma once

#include <cstdint>

#include "orlo/CoreServices/Interfaces/IMemoryAllocator.h"

namespace orlo::platform_windows {

// Raw blocks of committed virtual memory, each its own region. Failures are
// reported on the warning channel; a failed allocation gives none.
class UMemoryAllocator_Windows : public IMemoryAllocator {
public:
    void* Allocate(uint32_t size, const char* location) override;
    void Free(void* block, const char* location) override;
};

} // namespace orlo::platform_windows

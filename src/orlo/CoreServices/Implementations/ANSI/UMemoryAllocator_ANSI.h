#pragma once

#include <cstdint>

#include "orlo/CoreServices/Interfaces/IMemoryAllocator.h"

namespace orlo {

// Raw blocks from the C library heap. A failed allocation is reported on the
// warning channel and gives none.
class UMemoryAllocator_ANSI : public IMemoryAllocator {
public:
    void* Allocate(uint32_t size, const char* location) override;
    void Free(void* block, const char* location) override;
};

} // namespace orlo

#pragma once

#include <cstdint>

#include "orlo/CoreServices/Interfaces/ILog.h"
#include "orlo/CoreServices/Interfaces/IMemoryAllocator.h"

namespace orlo {

// An allocator that keeps statistics about what passes through it.
class IMemoryPool : public IMemoryAllocator {
public:
    virtual bool Init(uint32_t size) = 0;
    virtual void Destroy() = 0;
    // One message with the counters on `channel`.
    virtual void PrintStatistics(ILog* channel) = 0;
};

} // namespace orlo

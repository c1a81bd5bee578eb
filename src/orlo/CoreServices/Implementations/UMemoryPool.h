#pragma once

#include <cstdint>

#include "orlo/CoreServices/Interfaces/IMemoryPool.h"

namespace orlo {

// The default memory pool: blocks from the C library heap, with statistics
// about every request. The counters take no lock; allocation is expected from
// one thread at a time.
class UMemoryPool : public IMemoryPool {
public:
    UMemoryPool() = default;

    // 0 bytes allocate nothing and count as a zero-size allocation.
    void* Allocate(uint32_t size, const char* location) override;
    // Releasing none counts as the release of a zero-size allocation.
    void Free(void* block, const char* location) override;
    bool Init(uint32_t size) override;
    void Destroy() override;
    void PrintStatistics(ILog* channel) override;

    // Bytes in use count what the heap reserved for each block (its usable
    // size), on allocation and release alike, so they return to 0.
    int64_t GetBytesInUse() const { return m_bytesInUse; }
    int64_t GetCurrentAllocations() const { return m_currentAllocations; }
    // The most blocks held at one time.
    uint64_t GetMaximumAllocations() const { return m_maximumAllocations; }
    uint64_t GetCumulatedAllocations() const { return m_cumulatedAllocations; }
    // Usable bytes beyond the requested ones, over all allocations.
    uint64_t GetCumulatedOverhead() const { return m_cumulatedOverhead; }
    // Requested bytes over all allocations divided by their number.
    uint64_t GetAverageSize() const { return m_averageSize; }
    uint64_t GetMinimumSize() const { return m_minimumSize; }
    uint64_t GetMaximumSize() const { return m_maximumSize; }
    int64_t GetCurrentZeroSizeAllocations() const { return m_currentZeroSizeAllocations; }
    uint64_t GetMaximumZeroSizeAllocations() const { return m_maximumZeroSizeAllocations; }

    // What the heap reserved for a block of this pool.
    static uint64_t GetUsableSize(void* block);

private:
    int64_t m_bytesInUse = 0;
    int64_t m_currentAllocations = 0;
    uint64_t m_maximumAllocations = 0;
    uint64_t m_cumulatedAllocations = 0;
    uint64_t m_cumulatedOverhead = 0;
    uint64_t m_averageSize = 0;
    uint64_t m_minimumSize = 4294967295u;
    uint64_t m_maximumSize = 0;
    int64_t m_currentZeroSizeAllocations = 0;
    uint64_t m_maximumZeroSizeAllocations = 0;
    uint64_t m_cumulatedBytes = 0;
};

} // namespace orlo

#pragma once

#include <cstddef>
#include <cstdint>

namespace orlo {

// A source of raw blocks: the allocators and the memory pools. Allocate gives
// none when it cannot supply the block; `location` names the request and is
// used only in failure messages.
class IMemoryAllocator {
public:
    virtual ~IMemoryAllocator() noexcept(false) = default;
    virtual void* Allocate(uint32_t size, const char* location) = 0;
    virtual void Free(void* block, const char* location) = 0;

    // Heap objects of these classes come from the current default pool. The
    // operator gives none instead of raising, so a failed creation runs no
    // constructor and the new-expression yields none for the factory to test.
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* block) noexcept;
};

} // namespace orlo

#include "orlo/CoreServices/Interfaces/IMemoryAllocator.h"

#include "orlo/CoreServices/Interfaces/Memory.h"

namespace orlo {

void* IMemoryAllocator::operator new(size_t size) noexcept {
    return size <= UINT32_MAX ? orlo::Allocate(uint32_t(size), LOCATION_NEW) : nullptr;
}

void IMemoryAllocator::operator delete(void* block) noexcept {
    orlo::Free(block, LOCATION_DELETE);
}

} // namespace orlo

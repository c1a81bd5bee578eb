// The replacement of the global heap operators: every new and delete of the
// program passes through the current core services' default pool with its
// location text.
//
// This file is not part of the orlo library. It is the object library
// orlo_operator_new, linked only into the programs and modules that want it:
// a static library member defining operator new would be pulled into every
// program that links the library. A shared module that links it must keep it
// local (its exports are limited to the entry points), or it would replace
// the operators of the whole host process.

#include <cstddef>
#include <cstdint>
#include <new>

#include "orlo/CoreServices/Interfaces/Memory.h"

namespace {

// A zero-byte new must still give a unique block; the pool gives none for 0.
void* Request(std::size_t size, const char* location) noexcept {
    if (size > UINT32_MAX)
        return nullptr;
    return orlo::Allocate(size != 0 ? uint32_t(size) : 1u, location);
}

void* RequestOrThrow(std::size_t size, const char* location) {
    void* block = Request(size, location);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

} // namespace

void* operator new(std::size_t size) {
    return RequestOrThrow(size, orlo::LOCATION_NEW);
}

void* operator new[](std::size_t size) {
    return RequestOrThrow(size, orlo::LOCATION_NEW_ARRAY);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Request(size, orlo::LOCATION_NEW);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Request(size, orlo::LOCATION_NEW_ARRAY);
}

void operator delete(void* block) noexcept {
    orlo::Free(block, orlo::LOCATION_DELETE);
}

void operator delete[](void* block) noexcept {
    orlo::Free(block, orlo::LOCATION_DELETE_ARRAY);
}

void operator delete(void* block, std::size_t) noexcept {
    orlo::Free(block, orlo::LOCATION_DELETE);
}

void operator delete[](void* block, std::size_t) noexcept {
    orlo::Free(block, orlo::LOCATION_DELETE_ARRAY);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    orlo::Free(block, orlo::LOCATION_DELETE);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    orlo::Free(block, orlo::LOCATION_DELETE_ARRAY);
}

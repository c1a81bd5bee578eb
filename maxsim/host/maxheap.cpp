#include "max.h"

#include "maxheap.h"

#include <cstdlib>

#include "HeapStatistics.h"

namespace {
void* Allocate(size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (p)
        maxsim::HeapStatistics::CountAllocation();
    return p;
}

void Release(void* ptr) {
    if (!ptr)
        return;
    maxsim::HeapStatistics::CountRelease();
    std::free(ptr);
}

void* AllocateOrThrow(size_t size) {
    void* p = Allocate(size);
    if (!p)
        throw std::bad_alloc();
    return p;
}
} // namespace

void* MaxHeapOperators::operator new(size_t size) {
    return AllocateOrThrow(size);
}
void* MaxHeapOperators::operator new(size_t size, const std::nothrow_t&) {
    return Allocate(size);
}
void* MaxHeapOperators::operator new(size_t size, const char*, int) {
    return AllocateOrThrow(size);
}
void* MaxHeapOperators::operator new[](size_t size) {
    return AllocateOrThrow(size);
}
void* MaxHeapOperators::operator new[](size_t size, const std::nothrow_t&) {
    return Allocate(size);
}
void MaxHeapOperators::operator delete(void* ptr) {
    Release(ptr);
}
void MaxHeapOperators::operator delete(void* ptr, const std::nothrow_t&) {
    Release(ptr);
}
void MaxHeapOperators::operator delete(void* ptr, const char*, int) {
    Release(ptr);
}
void MaxHeapOperators::operator delete[](void* ptr) {
    Release(ptr);
}
void MaxHeapOperators::operator delete[](void* ptr, const std::nothrow_t&) {
    Release(ptr);
}

#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "maxheap.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "coreexp.h"
#include "maxtypes.h"
#include <cstddef>
#include <new>

// The host's heap. Objects that the host deletes (translators, descriptors)
// are allocated through these operators, so allocation and release happen
// in the same heap whichever module does them.
class UtilExport MaxHeapOperators {
public:
    static void* operator new(size_t size);
    static void* operator new(size_t size, const std::nothrow_t& e);
    static void* operator new(size_t size, const char* filename, int line);
    static void* operator new[](size_t size);
    static void* operator new[](size_t size, const std::nothrow_t& e);
    static void* operator new(size_t, void* placement_ptr) { return placement_ptr; }
    static void operator delete(void* ptr);
    static void operator delete(void* ptr, const std::nothrow_t& e);
    static void operator delete(void* ptr, const char* filename, int line);
    static void operator delete[](void* ptr);
    static void operator delete[](void* ptr, const std::nothrow_t& e);
    static void operator delete(void* ptr, void* placement_ptr) {
        (void)ptr;
        (void)placement_ptr;
    }
};

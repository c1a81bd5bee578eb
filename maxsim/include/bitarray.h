#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "bitarray.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "coreexp.h"
#include "maxheap.h"
#include <vector>

class CoreExport BitArray : public MaxHeapOperators {
public:
    BitArray() {}
    explicit BitArray(int n) : bits(size_t(n > 0 ? n : 0), false) {}

    void SetSize(int n, int save = 0);
    int GetSize() const { return int(bits.size()); }
    void ClearAll();
    void SetAll();
    void Set(int i) { bits[size_t(i)] = true; }
    void Set(int i, int b) { bits[size_t(i)] = b != 0; }
    void Clear(int i) { bits[size_t(i)] = false; }
    int operator[](int i) const { return bits[size_t(i)] ? 1 : 0; }
    int NumberSet() const;

private:
    std::vector<bool> bits;
};

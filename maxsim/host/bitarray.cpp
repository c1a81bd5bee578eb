#include "max.h"

#include "bitarray.h"

void BitArray::SetSize(int n, int save) {
    if (n < 0)
        n = 0;
    if (!save)
        bits.assign(size_t(n), false);
    else
        bits.resize(size_t(n), false);
}

void BitArray::ClearAll() {
    bits.assign(bits.size(), false);
}
void BitArray::SetAll() {
    bits.assign(bits.size(), true);
}

int BitArray::NumberSet() const {
    int n = 0;
    for (bool b : bits)
        n += b ? 1 : 0;
    return n;
}

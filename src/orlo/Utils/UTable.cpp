#include "orlo/Utils/UTable.h"

namespace orlo {

uint32_t HashKey(const UBaseString<unsigned char>& key) {
    uint32_t hash = 0;
    const unsigned char* text = key.GetData();
    for (int32_t i = 0; i < key.Length(); ++i)
        hash ^= uint32_t(text[i]) << (8 * (i % 4));
    return hash;
}

} // namespace orlo

#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orlo {

// Copies and zero searches of a few bytes, the pieces a text writer hands
// over one by one (a number, a separator): without a library call for each,
// which for pieces this short costs more than the bytes do. Longer spans go
// to the library.
class UShortCopy {
public:
    static constexpr size_t SHORT = 16;

    static void Copy(void* to, const void* from, size_t count) {
        unsigned char* target = static_cast<unsigned char*>(to);
        const unsigned char* source = static_cast<const unsigned char*>(from);
        if (count > SHORT) {
            memcpy(target, source, count);
        } else if (count >= 8) {
            // Two copies of eight that overlap in the middle.
            uint64_t head, tail;
            memcpy(&head, source, 8);
            memcpy(&tail, source + count - 8, 8);
            memcpy(target, &head, 8);
            memcpy(target + count - 8, &tail, 8);
        } else if (count >= 4) {
            uint32_t head, tail;
            memcpy(&head, source, 4);
            memcpy(&tail, source + count - 4, 4);
            memcpy(target, &head, 4);
            memcpy(target + count - 4, &tail, 4);
        } else {
            for (size_t i = 0; i < count; ++i)
                target[i] = source[i];
        }
    }

    // The first zero byte among `count` bytes, or null.
    static const void* FindZero(const void* bytes, size_t count) {
        if (count > SHORT)
            return memchr(bytes, 0, count);
        const unsigned char* at = static_cast<const unsigned char*>(bytes);
        for (size_t i = 0; i < count; ++i)
            if (at[i] == 0)
                return at + i;
        return nullptr;
    }
};

} // namespace orlo

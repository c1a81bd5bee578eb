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
            CopyEnds<uint64_t>(target, source, count);
        } else if (count >= 4) {
            CopyEnds<uint32_t>(target, source, count);
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

private:
    // `count` bytes, from sizeof(TWord) to twice that, as two words that
    // overlap in the middle.
    template <class TWord>
    static void CopyEnds(unsigned char* target, const unsigned char* source, size_t count) {
        TWord head, tail;
        memcpy(&head, source, sizeof(TWord));
        memcpy(&tail, source + count - sizeof(TWord), sizeof(TWord));
        memcpy(target, &head, sizeof(TWord));
        memcpy(target + count - sizeof(TWord), &tail, sizeof(TWord));
    }
};

} // namespace orlo

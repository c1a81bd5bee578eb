#include "orlo/Utils/UShortCopy.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

using orlo::UShortCopy;

namespace {

// Every count up to past the library threshold, at every alignment: exactly
// the bytes asked for arrive, and nothing around them changes.
TEST(UShortCopy, CopiesExactlyTheBytesAskedFor) {
    std::vector<unsigned char> source(64);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<unsigned char>(i * 7 + 1);
    for (size_t count = 0; count <= 2 * UShortCopy::SHORT + 1; ++count) {
        for (size_t offset = 0; offset < 8; ++offset) {
            std::vector<unsigned char> target(64, 0xEE);
            UShortCopy::Copy(target.data() + offset, source.data() + 3, count);
            std::vector<unsigned char> expected(64, 0xEE);
            memcpy(expected.data() + offset, source.data() + 3, count);
            ASSERT_EQ(target, expected) << "count " << count << " offset " << offset;
        }
    }
}

TEST(UShortCopy, FindsTheFirstZeroAsMemchr) {
    for (size_t count = 0; count <= 2 * UShortCopy::SHORT + 1; ++count) {
        for (size_t zeroAt = 0; zeroAt <= count + 1; ++zeroAt) {
            std::vector<unsigned char> bytes(count + 2, 'x');
            if (zeroAt < bytes.size())
                bytes[zeroAt] = 0;
            if (zeroAt + 1 < bytes.size())
                bytes[zeroAt + 1] = 0;
            ASSERT_EQ(UShortCopy::FindZero(bytes.data(), count), memchr(bytes.data(), 0, count))
                << "count " << count << " zero at " << zeroAt;
        }
    }
}

} // namespace

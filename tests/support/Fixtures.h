#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "orlo/Utils/UArray.h"

namespace orlo_test {

// The folder of the fixtures that the build makes with zip and Python (see
// tests/data/make_fixtures.py). The Windows build names it by its drive.
inline std::string FixturePath(const std::string& relative) {
    return std::string(ORLO_TEST_DATA_DIR) + "/" + relative;
}

// The bytes of a fixture; a missing fixture fails the calling test.
inline std::vector<unsigned char> ReadFixture(const std::string& relative, bool* found = nullptr) {
    std::vector<unsigned char> bytes;
    FILE* file = fopen(FixturePath(relative).c_str(), "rb");
    if (found != nullptr)
        *found = file != nullptr;
    if (file == nullptr)
        return bytes;
    unsigned char block[65536];
    size_t count;
    while ((count = fread(block, 1, sizeof(block), file)) > 0)
        bytes.insert(bytes.end(), block, block + count);
    fclose(file);
    return bytes;
}

inline orlo::UArray<unsigned char> ToArray(const std::vector<unsigned char>& bytes) {
    orlo::UArray<unsigned char> array;
    if (!bytes.empty()) {
        array.AddUninitialized(int32_t(bytes.size()));
        std::copy(bytes.begin(), bytes.end(), array.GetData());
    }
    return array;
}

inline std::vector<unsigned char> ToVector(const orlo::UArray<unsigned char>& array) {
    return std::vector<unsigned char>(array.GetData(), array.GetData() + array.Num());
}

} // namespace orlo_test

#pragma once

#include <algorithm>
#include <string>

namespace orlo_test {

// Where two texts part, for a failure message: the first differing line of
// each, numbered from 1, and the byte offset; "" when they are equal.
//
//     EXPECT_TRUE(first == second) << FirstDifference(first, second);
inline std::string FirstDifference(const std::string& expected, const std::string& actual) {
    if (expected == actual)
        return "";
    const size_t common = size_t(
        std::mismatch(expected.begin(), expected.begin() + std::min(expected.size(), actual.size()), actual.begin())
            .first -
        expected.begin());
    const size_t lineStart = expected.rfind('\n', common == 0 ? 0 : common - 1);
    const size_t begin = lineStart == std::string::npos || common == 0 ? 0 : lineStart + 1;
    const size_t line = size_t(std::count(expected.begin(), expected.begin() + begin, '\n')) + 1;
    auto lineAt = [begin](const std::string& text) {
        if (begin >= text.size())
            return std::string("(the text ends)");
        size_t end = text.find_first_of("\r\n", begin);
        return "\"" + text.substr(begin, end == std::string::npos ? std::string::npos : end - begin) + "\"";
    };
    return "the texts differ at byte " + std::to_string(common) + ", line " + std::to_string(line) +
           ":\n  expected: " + lineAt(expected) + "\n  actual:   " + lineAt(actual) + "\n";
}

} // namespace orlo_test

#pragma once

// The text the benchmarks read: a generated skinned mesh (a grid of quads with
// one texture set, two materials and two weights per vertex), written by the
// plug-in's own writer into a file and held in memory.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "GridMesh.h"

namespace orlo_bench {

inline std::string MakeMeshText(int side) {
    namespace fs = std::filesystem;
    const fs::path path = fs::temp_directory_path() / ("quarro-bench-grid-" + std::to_string(side) + ".qro");
    orlo_test::WriteGridMesh(path.string(), side, 16);
    std::ifstream file(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    fs::remove(path);
    return text;
}

// The inside of the first block that follows `head` (without its braces).
inline std::string BlockContent(const std::string& text, const std::string& head) {
    size_t open = text.find(head);
    if (open == std::string::npos)
        return std::string();
    open = text.find('{', open) + 1;
    int depth = 1;
    size_t at = open;
    for (; at < text.size() && depth > 0; ++at)
        depth += text[at] == '{' ? 1 : text[at] == '}' ? -1 : 0;
    return text.substr(open, at - 1 - open);
}

} // namespace orlo_bench

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// A glTF 2.0 document under construction: its JSON and the one binary buffer
// that its buffer views cut up. Keys keep the order they were added in, and
// numbers are 32-bit floats, so that min/max and matrices print the exact
// float the binary data holds.
//
//     QroGltfDocument document;
//     int view = document.AddView(data, size, QroGltfDocument::ARRAY_BUFFER);
//     int accessor = document.AddAccessor(view, QroGltfDocument::FLOAT, count, "VEC3");
class QroGltfDocument {
public:
    using Json =
        nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool, std::int64_t, std::uint64_t, float>;

    // Buffer view targets and accessor component types.
    static constexpr int ARRAY_BUFFER = 34962;
    static constexpr int ELEMENT_ARRAY_BUFFER = 34963;
    static constexpr int UNSIGNED_BYTE = 5121;
    static constexpr int UNSIGNED_SHORT = 5123;
    static constexpr int UNSIGNED_INT = 5125;
    static constexpr int FLOAT = 5126;

    QroGltfDocument();

    Json& GetJson() { return m_json; }
    const Json& GetJson() const { return m_json; }
    const std::vector<uint8_t>& GetBinary() const { return m_binary; }

    // Appends `size` bytes as a buffer view of their own (target 0: none),
    // starting on a 4-byte boundary; returns its index.
    int AddView(const void* data, size_t size, int target);
    // An accessor over a whole view; returns its index.
    int AddAccessor(int view, int componentType, size_t count, const char* type);
    // Adds `item` to the top-level array `key`; returns its index.
    int Append(const char* key, Json item);

private:
    Json m_json;
    std::vector<uint8_t> m_binary;
};

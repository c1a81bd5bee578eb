#include "QroGltfDocument.h"

QroGltfDocument::QroGltfDocument() {
    m_json = Json::object();
    m_json["asset"] = {{"version", "2.0"}, {"generator", "qro gltf"}};
}

int QroGltfDocument::AddView(const void* data, size_t size, int target) {
    // Every view starts 4-byte aligned, as vertex attributes must.
    m_binary.resize((m_binary.size() + 3) & ~size_t(3), 0);
    size_t offset = m_binary.size();
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    m_binary.insert(m_binary.end(), bytes, bytes + size);
    Json view = {{"buffer", 0}, {"byteOffset", std::uint64_t(offset)}, {"byteLength", std::uint64_t(size)}};
    if (target != 0)
        view["target"] = target;
    return Append("bufferViews", view);
}

int QroGltfDocument::AddAccessor(int view, int componentType, size_t count, const char* type) {
    return Append(
        "accessors",
        {{"bufferView", view}, {"componentType", componentType}, {"count", std::uint64_t(count)}, {"type", type}});
}

int QroGltfDocument::Append(const char* key, Json item) {
    Json& list = m_json[key];
    if (list.is_null())
        list = Json::array();
    list.push_back(static_cast<Json&&>(item));
    return int(list.size() - 1);
}

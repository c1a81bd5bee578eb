#include "GltfTestFile.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

bool ReadBytes(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

uint32_t Uint32At(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

std::string Unescape(const std::string& uri) {
    std::string text;
    for (size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size()) {
            text += char(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            text += uri[i];
        }
    }
    return text;
}

} // namespace

bool GltfTestFile::Load(const std::string& path, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!ReadBytes(path, bytes)) {
        error = "cannot read " + path;
        return false;
    }
    try {
        if (bytes.size() >= 12 && std::memcmp(bytes.data(), "glTF", 4) == 0) {
            if (Uint32At(bytes, 4) != 2 || Uint32At(bytes, 8) != bytes.size()) {
                error = "GLB header: version or length wrong";
                return false;
            }
            size_t jsonLength = Uint32At(bytes, 12);
            if (Uint32At(bytes, 16) != 0x4E4F534A || 20 + jsonLength > bytes.size()) {
                error = "GLB: no JSON chunk first";
                return false;
            }
            m_json = nlohmann::json::parse(bytes.begin() + 20, bytes.begin() + 20 + long(jsonLength));
            size_t at = 20 + jsonLength;
            if (at < bytes.size()) {
                size_t binLength = Uint32At(bytes, at);
                if (Uint32At(bytes, at + 4) != 0x004E4942 || at + 8 + binLength != bytes.size()) {
                    error = "GLB: the BIN chunk is not the rest of the file";
                    return false;
                }
                m_binary.assign(bytes.begin() + long(at + 8), bytes.end());
            }
        } else {
            m_json = nlohmann::json::parse(bytes.begin(), bytes.end());
            if (m_json.contains("buffers")) {
                size_t slash = path.find_last_of("/\\");
                std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
                std::string uri = m_json["buffers"][0]["uri"].get<std::string>();
                if (!ReadBytes(folder + Unescape(uri), m_binary)) {
                    error = "cannot read the buffer " + uri;
                    return false;
                }
            }
        }
    } catch (const std::exception& exception) {
        error = exception.what();
        return false;
    }
    if (m_json.contains("buffers")) {
        // A GLB's chunk may hold up to 3 bytes of padding beyond the buffer.
        size_t length = m_json["buffers"][0]["byteLength"].get<size_t>();
        if (m_binary.size() < length || m_binary.size() > length + 3) {
            error = "the binary data does not match the buffer's byteLength";
            return false;
        }
        m_binary.resize(length);
    }
    return true;
}

int GltfTestFile::ComponentsOf(int accessor) const {
    std::string type = m_json["accessors"][size_t(accessor)]["type"];
    return type == "SCALAR" ? 1 : type == "VEC2" ? 2 : type == "VEC3" ? 3 : type == "VEC4" ? 4 : 16;
}

std::vector<double> GltfTestFile::Read(int accessor) const {
    const nlohmann::json& json = m_json["accessors"][size_t(accessor)];
    const nlohmann::json& view = m_json["bufferViews"][json["bufferView"].get<size_t>()];
    size_t offset = view.value("byteOffset", size_t(0)) + json.value("byteOffset", size_t(0));
    int componentType = json["componentType"];
    size_t size = componentType == 5121 ? 1 : componentType == 5123 ? 2 : 4;
    size_t count = json["count"].get<size_t>() * size_t(ComponentsOf(accessor));
    std::vector<double> values;
    values.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* at = m_binary.data() + offset + i * size;
        if (componentType == 5126) {
            float value;
            std::memcpy(&value, at, 4);
            values.push_back(value);
        } else if (componentType == 5125) {
            uint32_t value;
            std::memcpy(&value, at, 4);
            values.push_back(value);
        } else if (componentType == 5123) {
            uint16_t value;
            std::memcpy(&value, at, 2);
            values.push_back(value);
        } else {
            values.push_back(*at);
        }
    }
    return values;
}

GltfTestFile::Matrix GltfTestFile::LocalOf(const nlohmann::json& node) {
    std::vector<double> t = node.value("translation", std::vector<double>{0, 0, 0});
    std::vector<double> r = node.value("rotation", std::vector<double>{0, 0, 0, 1});
    std::vector<double> s = node.value("scale", std::vector<double>{1, 1, 1});
    double x = r[0], y = r[1], z = r[2], w = r[3];
    double rotation[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                             {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                             {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
    Matrix m{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            m[i][j] = rotation[i][j] * s[size_t(j)];
        m[i][3] = t[size_t(i)];
    }
    m[3][3] = 1;
    return m;
}

GltfTestFile::Matrix GltfTestFile::Multiply(const Matrix& a, const Matrix& b) {
    Matrix result{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                result[i][j] += a[i][k] * b[k][j];
    return result;
}

std::array<double, 3> GltfTestFile::Apply(const Matrix& m, const std::array<double, 3>& p) {
    std::array<double, 3> result{};
    for (int i = 0; i < 3; ++i)
        result[size_t(i)] = m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2] + m[i][3];
    return result;
}

int GltfTestFile::ParentOf(int node) const {
    const nlohmann::json& nodes = m_json["nodes"];
    for (size_t n = 0; n < nodes.size(); ++n)
        if (nodes[n].contains("children"))
            for (int child : nodes[n]["children"])
                if (child == node)
                    return int(n);
    return -1;
}

GltfTestFile::Matrix GltfTestFile::WorldOf(int node) const {
    Matrix world = LocalOf(m_json["nodes"][size_t(node)]);
    for (int parent = ParentOf(node); parent != -1; parent = ParentOf(parent))
        world = Multiply(LocalOf(m_json["nodes"][size_t(parent)]), world);
    return world;
}

int GltfTestFile::NodeNamed(const std::string& name) const {
    const nlohmann::json& nodes = m_json["nodes"];
    for (size_t n = 0; n < nodes.size(); ++n)
        if (nodes[n].value("name", std::string()) == name)
            return int(n);
    return -1;
}

#include "QroGltfFile.h"

#include <cctype>
#include <cstdint>
#include <cstring>

#include "orlo/CoreServices/Interfaces/ICoreServices.h"

namespace {

bool EndsWith(const std::string& text, const char* ending) {
    size_t length = std::strlen(ending);
    if (text.size() < length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - length + i])) != ending[i])
            return false;
    return true;
}

size_t NameStart(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? 0 : slash + 1;
}

// A relative URI for a file name: every byte but the unreserved ones escaped.
std::string UriOf(const std::string& fileName) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string uri;
    for (unsigned char byte : fileName) {
        if (std::isalnum(byte) || byte == '-' || byte == '.' || byte == '_' || byte == '~') {
            uri += char(byte);
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 15];
        }
    }
    return uri;
}

void AppendUint32(std::string& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes += char((value >> (8 * i)) & 0xFF);
}

// Writes the pieces as one file; on any failure removes it again.
bool WriteFile(const std::string& path, const std::string& head, const std::vector<uint8_t>& body, size_t bodyPadding,
               std::string& error) {
    orlo::IFileSystem* files = orlo::GetCoreServices()->GetFileSystem();
    orlo::TStreamHandle<orlo::IOutputStream> stream = files->CreateFileWriter(path.c_str(), true, false);
    if (stream.IsEmpty() || !stream->IsOpen()) {
        error = "Can't open file \"" + path + "\" for writing.";
        return false;
    }
    // File streams take at most 2^31 - 1 bytes a call.
    const uint64_t kChunk = uint64_t(1) << 24;
    auto put = [&](const void* data, uint64_t size) {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        for (uint64_t done = 0; done < size;) {
            uint64_t count = size - done < kChunk ? size - done : kChunk;
            if (stream->Serialize(bytes + done, count) != count || stream->HasFailed())
                return false;
            done += count;
        }
        return true;
    };
    static const uint8_t kZeros[4] = {0, 0, 0, 0};
    bool written =
        put(head.data(), head.size()) && put(body.data(), body.size()) && put(kZeros, bodyPadding) && stream->Flush();
    stream->Close();
    written = written && !stream->HasFailed();
    stream = orlo::TStreamHandle<orlo::IOutputStream>();
    if (!written) {
        files->Delete(path.c_str());
        error = "Can't write file \"" + path + "\".";
    }
    return written;
}

} // namespace

QroGltfFile::Kind QroGltfFile::KindOf(const std::string& path) {
    if (EndsWith(path, ".glb"))
        return Kind::Glb;
    if (EndsWith(path, ".gltf"))
        return Kind::Gltf;
    return Kind::Unknown;
}

std::string QroGltfFile::BinaryPathOf(const std::string& gltfPath) {
    return gltfPath.substr(0, gltfPath.size() - std::strlen(".gltf")) + ".bin";
}

bool QroGltfFile::Write(QroGltfDocument& document, const std::string& path, std::string& error) {
    Kind kind = KindOf(path);
    const std::vector<uint8_t>& binary = document.GetBinary();
    size_t padding = (4 - binary.size() % 4) % 4;
    QroGltfDocument::Json& json = document.GetJson();
    // A buffer cannot be empty: a document without binary data has none.
    if (!binary.empty()) {
        QroGltfDocument::Json buffer = QroGltfDocument::Json::object();
        if (kind == Kind::Gltf) {
            std::string binaryPath = BinaryPathOf(path);
            buffer["uri"] = UriOf(binaryPath.substr(NameStart(binaryPath)));
        }
        buffer["byteLength"] = std::uint64_t(binary.size());
        json["buffers"] = QroGltfDocument::Json::array({buffer});
    }
    // The usual order of the top-level properties, easier to read than the
    // order in which they were filled.
    QroGltfDocument::Json ordered = QroGltfDocument::Json::object();
    for (const char* key :
         {"asset", "scene", "scenes", "nodes", "meshes", "materials", "skins", "accessors", "bufferViews", "buffers"})
        if (json.contains(key))
            ordered[key] = json[key];
    std::string text = ordered.dump();

    if (kind == Kind::Gltf) {
        if (binary.empty())
            return WriteFile(path, text, binary, 0, error);
        std::string binaryPath = BinaryPathOf(path);
        if (!WriteFile(binaryPath, std::string(), binary, 0, error))
            return false;
        if (!WriteFile(path, text, {}, 0, error)) {
            orlo::GetCoreServices()->GetFileSystem()->Delete(binaryPath.c_str());
            return false;
        }
        return true;
    }

    // GLB: a 12-byte header (magic "glTF", version 2, total length), then
    // chunks of length, type and data, each padded to 4 bytes: the JSON with
    // spaces, the binary data with zeros.
    const uint32_t kMagic = 0x46546C67, kJson = 0x4E4F534A, kBin = 0x004E4942;
    text.append((4 - text.size() % 4) % 4, ' ');
    uint64_t total = 12 + 8 + text.size() + (binary.empty() ? 0 : 8 + binary.size() + padding);
    if (total > UINT32_MAX) {
        error = "The scene needs " + std::to_string(total) + " bytes; a .glb file holds at most 4 GiB. Write a .gltf.";
        return false;
    }
    std::string head;
    AppendUint32(head, kMagic);
    AppendUint32(head, 2);
    AppendUint32(head, uint32_t(total));
    AppendUint32(head, uint32_t(text.size()));
    AppendUint32(head, kJson);
    head += text;
    if (!binary.empty()) {
        AppendUint32(head, uint32_t(binary.size() + padding));
        AppendUint32(head, kBin);
    }
    return WriteFile(path, head, binary, binary.empty() ? 0 : padding, error);
}

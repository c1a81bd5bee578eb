#pragma once

#include <string>

#include "QroGltfDocument.h"

// Writes a glTF document to disk through the core services' file system:
// "NAME.glb" as one binary file (GLB: a JSON chunk, then a BIN chunk), or
// "NAME.gltf" as JSON with its binary data in "NAME.bin" beside it. The
// extension decides, in any case. A failed write leaves no file behind.
class QroGltfFile {
public:
    enum class Kind { Unknown, Gltf, Glb };

    static Kind KindOf(const std::string& path);
    // The .bin beside a .gltf path.
    static std::string BinaryPathOf(const std::string& gltfPath);

    // False with `error` set when a file cannot be opened or written.
    static bool Write(QroGltfDocument& document, const std::string& path, std::string& error);
};

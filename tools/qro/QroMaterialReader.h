#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "orlo/CoreServices/Interfaces/IInputStream.h"

// Reads what the text reader skips: each mesh block's material names and
// per-polygon material indices. Meant for a stream that QuarroTextReader has
// just accepted; it walks the file with the same tokenizer and the same
// top-level rules (counts resize, "mesh i" fills entry i), so entry i belongs
// to the reader's mesh i.
//
//     std::vector<QroMaterialReader::Mesh> materials;
//     QroMaterialReader::Read(stream, materials);
class QroMaterialReader {
public:
    struct Mesh {
        std::vector<std::string> names;
        // As the file holds them; the placeholder -1 reads as 0xFFFFFFFF.
        std::vector<uint32_t> polygonMaterialIndices;
    };

    // Reads the rest of `stream` and puts it back where it was.
    static void Read(orlo::IInputStream* stream, std::vector<Mesh>& meshes);
};

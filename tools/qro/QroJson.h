#pragma once

#include <string>

#include "BoneData.h"
#include "MeshData.h"
#include "QuarroRecordWriter.h"
#include "orlo/Utils/UArray.h"

// Records as the JSON document of qro: keys are the record fields, floats
// print with the fewest digits that read back to the same 32-bit float, and
// names map each byte to the code point of the same number (U+0000-U+00FF).
class QroJson {
public:
    static std::string Dump(const orlo::UArray<BoneData>& bones, const orlo::UArray<MeshData>& meshes);

    // Reads a document into records (each mesh may also carry "materialNames").
    // Checks that the records can be written without dropping or overrunning
    // anything and that the reader will take the file back; on failure returns
    // false with a message that names the offending place.
    static bool Parse(const std::string& text, orlo::UArray<BoneData>& bones, orlo::UArray<MeshData>& meshes,
                      orlo::UArray<QuarroRecordWriter::MaterialNames>& materialNames, std::string& error);
};

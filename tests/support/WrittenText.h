#pragma once

#include <string>

#include "QuarroRecordWriter.h"
#include "orlo/CoreServices/Implementations/UOutputStream_Memory.h"

namespace orlo_test {

// What a memory stream has collected, as text.
inline std::string TextOf(const orlo::UOutputStream_Memory& stream) {
    return std::string(reinterpret_cast<const char*>(stream.GetBytes()), size_t(stream.GetLength()));
}

// The file the record writer makes of these records.
inline std::string WriteRecords(const orlo::UArray<BoneData>& bones, const orlo::UArray<MeshData>& meshes,
                                const orlo::UArray<QuarroRecordWriter::MaterialNames>& materials = {}) {
    orlo::UOutputStream_Memory stream("records.qro");
    QuarroRecordWriter::Write(&stream, bones, meshes, materials);
    return TextOf(stream);
}

} // namespace orlo_test

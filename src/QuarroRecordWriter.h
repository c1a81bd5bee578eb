#pragma once

#include "BoneData.h"
#include "MeshData.h"
#include "orlo/CoreServices/Interfaces/IOutputStream.h"
#include "orlo/Utils/UArray.h"
#include "orlo/Utils/UBaseString.h"

// Writes bone and mesh records in the text format through QuarroTextWriter,
// field for field: the counterpart of the reader.
class QuarroRecordWriter {
public:
    using MaterialNames = orlo::UArray<orlo::UBaseString<unsigned char>>;

    // `materialNames` holds the material names of mesh k at index k; a mesh
    // beyond its end, or with an empty list, has no material blocks. A mesh with
    // materials and no polygonMaterialIndices gets the placeholder -1 per
    // polygon.
    //
    // The polygon lists are walked by polygonVertexCounts, so they must be long
    // enough for them; the records are checked before anything is written, and
    // records that do not fit raise ErrorDescription.
    static void Write(orlo::IOutputStream* stream, const orlo::UArray<BoneData>& bones,
                      const orlo::UArray<MeshData>& meshes,
                      const orlo::UArray<MaterialNames>& materialNames = orlo::UArray<MaterialNames>());

private:
    static void Check(const MeshData& mesh, const MaterialNames* materials);
};

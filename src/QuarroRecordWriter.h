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
    // Every mesh is checked with FindMisfit before anything is written; a mesh
    // that does not fit raises ErrorDescription with the message
    // "meshes[<k>].<field>: <reason>".
    static void Write(orlo::IOutputStream* stream, const orlo::UArray<BoneData>& bones,
                      const orlo::UArray<MeshData>& meshes,
                      const orlo::UArray<MaterialNames>& materialNames = orlo::UArray<MaterialNames>());

    // Why a mesh cannot be written as it stands.
    struct Misfit {
        orlo::UBaseString<unsigned char> field;  // "polygonVertexIndices", "polygonTexCoordIndices[1]", ...
        orlo::UBaseString<unsigned char> reason; // "holds 3 indices for 4 polygon corners"
    };

    // The rule for a mesh to be written whole and read back as it was: the
    // lists walked by polygonVertexCounts hold exactly one entry per corner,
    // polygonMaterialIndices one per polygon and only with material names
    // (`materials` null or empty: none), and the weights as many as
    // vertexWeightCounts add up to. Fills `misfit` with the first rule broken
    // and returns true; false when the mesh fits.
    static bool FindMisfit(const MeshData& mesh, const MaterialNames* materials, Misfit& misfit);
};

#pragma once

#include <cstdint>

#include "orlo/Math/TVector2.h"
#include "orlo/Math/TVector3.h"
#include "orlo/Utils/TTypeName.h"
#include "orlo/Utils/UArray.h"
#include "orlo/Utils/UBaseString.h"

// One mesh block of the text format. A plain record: its arrays relocate it as
// bytes, so nothing in it may point into itself. Neither the record nor the
// reader checks that the lists fit together; the writer's input does.
struct MeshData {
    struct Weight {
        // The number i of the file's "bone i" block.
        int32_t boneIndex;
        float weight;
    };

    orlo::UBaseString<unsigned char> name;
    orlo::UArray<orlo::TVector3<float>> vertices;
    // A pool of its own, indexed by polygonNormalIndices.
    orlo::UArray<orlo::TVector3<float>> normals;
    // One inner array per texture-coordinate set, in set order.
    orlo::UArray<orlo::UArray<orlo::TVector2<float>>> textureCoordinates;
    // Per vertex, how many of the following weights are its own.
    orlo::UArray<unsigned int> vertexWeightCounts;
    orlo::UArray<Weight> weights;
    orlo::UArray<unsigned int> polygonVertexCounts;
    // Per corner, polygon after polygon.
    orlo::UArray<unsigned int> polygonVertexIndices;
    orlo::UArray<unsigned int> polygonNormalIndices;
    orlo::UArray<orlo::UArray<unsigned int>> polygonTexCoordIndices;
    // Per polygon; the reader leaves it empty.
    orlo::UArray<unsigned int> polygonMaterialIndices;
};

template <>
struct orlo::TIsStructKeyed<MeshData> {
    static constexpr bool value = true;
};

template <>
struct orlo::TIsStructKeyed<MeshData::Weight> {
    static constexpr bool value = true;
};

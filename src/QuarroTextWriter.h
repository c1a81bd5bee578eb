#pragma once

#include <cstddef>
#include <cstdint>

#include "orlo/CoreServices/Interfaces/IOutputStream.h"
#include "orlo/Math/TMatrix4.h"
#include "orlo/Math/TVector2.h"
#include "orlo/Math/TVector3.h"
#include "orlo/Utils/UBaseString.h"

// Writes the skinned-mesh text format front to back, value by value, straight
// to a stream it does not own: the caller hands over every section in file
// order. Each literal piece and each number is one write; buffering is the
// stream's business. Nothing is validated here, and a stream's own error
// passes through.
//
// The order of calls for a file:
//
//     WriteHeader
//     WriteBoneCount, then WriteBone per bone
//     WriteMeshCount, then per mesh:
//       BeginMesh
//       BeginVertices, WriteVertex...          BeginNormals, WriteNormal...
//       BeginTextureCoordinates, per set: BeginTextureCoordinateSet,
//         WriteTextureCoordinate..., EndTextureCoordinateSet
//       [BeginMaterialNames, WriteMaterialName...]           only with materials
//       BeginPolygonVertexCounts, WritePolygonVertexCount...
//       BeginPolygonVertexIndices, WritePolygonIndices per polygon
//       BeginPolygonNormalIndices, WritePolygonIndices per polygon
//       BeginPolygonTexCoordIndices, per set: BeginPolygonTexCoordSet,
//         WritePolygonTexCoordIndices per polygon, EndPolygonTexCoordSet
//       [BeginPolygonMaterialIndices, WritePolygonMaterialIndex or
//         WriteMissingPolygonMaterialIndex per polygon]      only with materials
//       [BeginVertexWeightCounts, WriteVertexWeightCount..., BeginWeights,
//         WriteWeight...]                                    only with weights
//       EndMesh
//
// Each block heading closes the block before it, and EndMesh closes the last,
// so leaving out an optional block keeps the braces balanced.
class QuarroTextWriter {
public:
    explicit QuarroTextWriter(orlo::IOutputStream* stream);

    void WriteHeader();

    void WriteBoneCount(uint32_t count);
    // `parent` is empty for a bone below the scene root.
    void WriteBone(uint32_t index, const orlo::UBaseString<unsigned char>& name,
                   const orlo::UBaseString<unsigned char>& parent, const orlo::TMatrix4<float>& invBaseMatrix);
    // WriteBone in two steps, for a caller that has the matrix only once the
    // name and parent are written: the bone's heading up to its parent line,
    // then the matrix and the closing brace.
    void BeginBone(uint32_t index, const orlo::UBaseString<unsigned char>& name,
                   const orlo::UBaseString<unsigned char>& parent);
    void EndBone(const orlo::TMatrix4<float>& invBaseMatrix);

    void WriteMeshCount(uint32_t count);
    void BeginMesh(uint32_t index, const orlo::UBaseString<unsigned char>& name);

    void BeginVertices();
    void WriteVertex(const orlo::TVector3<float>& position);
    void BeginNormals();
    void WriteNormal(const orlo::TVector3<float>& normal);

    void BeginTextureCoordinates();
    // Sets are numbered 0, 1, ...; a blank line separates two set blocks.
    void BeginTextureCoordinateSet(uint32_t set);
    void WriteTextureCoordinate(const orlo::TVector2<float>& coordinate);
    void EndTextureCoordinateSet();

    void BeginMaterialNames();
    void WriteMaterialName(const orlo::UBaseString<unsigned char>& name);

    void BeginPolygonVertexCounts();
    void WritePolygonVertexCount(uint32_t count);
    void BeginPolygonVertexIndices();
    void BeginPolygonNormalIndices();
    // One polygon's corners on one line.
    void WritePolygonIndices(const uint32_t* indices, uint32_t count);

    void BeginPolygonTexCoordIndices();
    void BeginPolygonTexCoordSet(uint32_t set);
    void WritePolygonTexCoordIndices(const uint32_t* indices, uint32_t count);
    void EndPolygonTexCoordSet();

    void BeginPolygonMaterialIndices();
    void WritePolygonMaterialIndex(uint32_t index);
    // For a polygon whose material index is not available.
    void WriteMissingPolygonMaterialIndex();

    void BeginVertexWeightCounts();
    void WriteVertexWeightCount(uint32_t count);
    void BeginWeights();
    // The bone index is written as its unsigned 32-bit value.
    void WriteWeight(int32_t boneIndex, float weight);

    void EndMesh();

private:
    // A literal piece of the format: its length is known where it is written.
    template <size_t N>
    void WriteLiteral(const char (&text)[N]) {
        m_stream->Serialize(text, N - 1);
    }
    void WriteName(const orlo::UBaseString<unsigned char>& name);
    void WriteUnsigned(uint32_t value);
    void WriteFloat(float value);
    // A formatted number of `length` characters, written from the scratch string.
    void WriteScratch(const char* text, int32_t length);
    template <size_t N>
    void WriteIndexLine(const char (&lineStart)[N], const uint32_t* indices, uint32_t count) {
        WriteLiteral(lineStart);
        for (uint32_t i = 0; i < count; ++i) {
            if (i > 0)
                WriteLiteral(" ");
            WriteUnsigned(indices[i]);
        }
    }

    orlo::IOutputStream* m_stream;
    orlo::UBaseString<unsigned char> m_scratch;
};

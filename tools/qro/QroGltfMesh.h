#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "MeshData.h"
#include "QroMaterialReader.h"

// One mesh of the file as glTF primitives: polygons triangulated as fans, one
// primitive per material, and a vertex of its own for every combination of
// position, normal and texture coordinates that the corners use.
//
// Checks every count and index it follows and refuses (std::runtime_error, the
// message naming the mesh and the list) a mesh whose lists do not fit together.
//
// Weights: per vertex the four largest (a bone named twice counts once, with
// its weights added), renormalised so that the 32-bit sum is exactly 1. A
// vertex of a skinned mesh without a positive weight is bound to joint
// `rootJoint` with weight 1.
//
// Positions and normals are turned from the file's Z-up to glTF's Y-up:
// (x, y, z) becomes (x, z, -y). Texture coordinates are turned upside down
// (v becomes 1 - v): the file's origin is the lower left corner, glTF's the
// upper left.
class QroGltfMesh {
public:
    struct Primitive {
        int material = -1;                                  // an index into the converter's materials, or -1
        std::vector<float> positions;                       // 3 per vertex, Y-up
        std::vector<float> normals;                         // 3 per vertex, Y-up, empty without normals
        std::vector<std::vector<float>> textureCoordinates; // per set, 2 per vertex
        std::vector<std::array<uint16_t, 4>> joints;        // empty unless skinned
        std::vector<std::array<float, 4>> weights;
        std::vector<uint32_t> indices; // 3 per triangle
        size_t GetVertexCount() const { return positions.size() / 3; }
    };

    struct Counts {
        size_t droppedPolygons = 0; // fewer than three corners
        size_t verticesOverFourWeights = 0;
        size_t unweightedVertices = 0;      // bound to the root joint
        size_t replacedNormals = 0;         // of zero length
        size_t polygonsWithoutMaterial = 0; // index names no material
    };

    // `materialOfName[i]` is the converter's material for the mesh's i-th
    // material name.
    QroGltfMesh(int meshIndex, const MeshData& mesh, const QroMaterialReader::Mesh& materials,
                const std::vector<int>& materialOfName, int boneCount, int rootJoint);

    bool IsSkinned() const { return m_skinned; }
    const std::vector<Primitive>& GetPrimitives() const { return m_primitives; }
    const Counts& GetCounts() const { return m_counts; }
    size_t GetTriangleCount() const;

private:
    void Check(const MeshData& mesh, const QroMaterialReader::Mesh& materials, int boneCount) const;
    void PrepareWeights(const MeshData& mesh, int rootJoint);
    void BuildPrimitive(const MeshData& mesh, const std::vector<uint32_t>& polygons, int material);
    // The corner's normal of length 1, Y-up.
    std::array<float, 3> CornerNormal(const MeshData& mesh, uint32_t polygon, uint32_t corner);

    std::string m_where;
    bool m_skinned = false;
    bool m_hasNormals = false;
    std::vector<uint32_t> m_firstCorner;                 // per polygon, and one past the end
    std::vector<std::array<uint16_t, 4>> m_vertexJoints; // per file vertex
    std::vector<std::array<float, 4>> m_vertexWeights;
    // Per file vertex, the newest glTF vertex made from it in the current
    // primitive (or -1); m_older chains each glTF vertex to the one before.
    std::vector<int32_t> m_newest;
    std::vector<int32_t> m_older;
    std::vector<Primitive> m_primitives;
    Counts m_counts;
};

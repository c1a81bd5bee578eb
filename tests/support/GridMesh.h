#pragma once

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>

#include "BoneData.h"
#include "MeshData.h"
#include "QuarroRecordWriter.h"
#include "orlo/CoreServices/Implementations/UOutputStream_Memory.h"

namespace orlo_test {

// A generated skinned mesh of any size, shaped like an export: a side x side
// grid of vertices in the x/y plane (rows along y), quads between them, one
// normal and one texture coordinate per vertex, two materials in alternating
// rows of quads, and a chain of `boneCount` bones along y with each vertex
// weighted to the two nearest.
inline void WriteGridMesh(const std::string& path, int side, int boneCount = 4) {
    orlo::UArray<BoneData> bones;
    const float length = float(side - 1);
    for (int b = 0; b < boneCount; ++b) {
        BoneData bone;
        bone.name = ("Bone" + std::to_string(b)).c_str();
        bone.parent = b == 0 ? "" : ("Bone" + std::to_string(b - 1)).c_str();
        // Each bone sits at its share of the grid's length: the inverse moves it back.
        bone.invBaseMatrix.m[3][1] = -length * float(b) / float(boneCount);
        bones.Add(bone);
    }

    orlo::UArray<MeshData> meshes;
    meshes.Add(MeshData());
    MeshData& mesh = meshes[0];
    mesh.name = "Grid";
    mesh.textureCoordinates.Add({});
    mesh.polygonTexCoordIndices.Add({});
    mesh.vertices.Reserve(side * side);
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            float x = float(column), y = float(row);
            float z = std::sin(x * 0.05f) * std::cos(y * 0.05f);
            mesh.vertices.Add({x, y, z});
            mesh.normals.Add({0.0f, 0.0f, 1.0f});
            mesh.textureCoordinates[0].Add({x / length, y / length});
            // The two bones nearest along y.
            float at = y / length * float(boneCount - 1);
            int first = int(at) < boneCount - 1 ? int(at) : boneCount - 2;
            float share = at - float(first);
            mesh.vertexWeightCounts.Add(2);
            mesh.weights.Add({first, 1.0f - share});
            mesh.weights.Add({first + 1, share});
        }
    }
    for (int row = 0; row + 1 < side; ++row) {
        for (int column = 0; column + 1 < side; ++column) {
            unsigned int corner = unsigned(row * side + column);
            unsigned int quad[4] = {corner, corner + 1, corner + 1 + unsigned(side), corner + unsigned(side)};
            mesh.polygonVertexCounts.Add(4);
            for (unsigned int index : quad) {
                mesh.polygonVertexIndices.Add(index);
                mesh.polygonNormalIndices.Add(index);
                mesh.polygonTexCoordIndices[0].Add(index);
            }
            mesh.polygonMaterialIndices.Add(unsigned(row % 2));
        }
    }
    orlo::UArray<QuarroRecordWriter::MaterialNames> materials;
    materials.Add({});
    materials[0].Add("Even");
    materials[0].Add("Odd");

    orlo::UOutputStream_Memory memory("grid");
    QuarroRecordWriter::Write(&memory, bones, meshes, materials);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(memory.GetBytes()), std::streamsize(memory.GetLength()));
}

} // namespace orlo_test

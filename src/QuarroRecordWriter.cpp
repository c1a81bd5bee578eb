#include "QuarroRecordWriter.h"

#include <cstdint>

#include "QuarroTextWriter.h"

namespace {

const QuarroRecordWriter::MaterialNames* MaterialsOf(const orlo::UArray<QuarroRecordWriter::MaterialNames>& all,
                                                     int32_t mesh) {
    if (mesh >= all.Num() || all[mesh].Num() == 0)
        return nullptr;
    return &all[mesh];
}

} // namespace

void QuarroRecordWriter::Check(const MeshData& mesh, const MaterialNames* materials) {
    uint64_t corners = 0;
    for (unsigned int count : mesh.polygonVertexCounts)
        corners += count;
    assure(corners <= uint64_t(mesh.polygonVertexIndices.Num()));
    assure(corners <= uint64_t(mesh.polygonNormalIndices.Num()));
    for (const orlo::UArray<unsigned int>& set : mesh.polygonTexCoordIndices)
        assure(corners <= uint64_t(set.Num()));
    if (materials != nullptr)
        assure(mesh.polygonMaterialIndices.Num() == 0 ||
               mesh.polygonMaterialIndices.Num() == mesh.polygonVertexCounts.Num());
}

void QuarroRecordWriter::Write(orlo::IOutputStream* stream, const orlo::UArray<BoneData>& bones,
                               const orlo::UArray<MeshData>& meshes,
                               const orlo::UArray<MaterialNames>& materialNames) {
    for (int32_t k = 0; k < meshes.Num(); ++k)
        Check(meshes[k], MaterialsOf(materialNames, k));

    QuarroTextWriter writer(stream);
    writer.WriteHeader();
    writer.WriteBoneCount(uint32_t(bones.Num()));
    for (int32_t b = 0; b < bones.Num(); ++b)
        writer.WriteBone(uint32_t(b), bones[b].name, bones[b].parent, bones[b].invBaseMatrix);

    writer.WriteMeshCount(uint32_t(meshes.Num()));
    for (int32_t k = 0; k < meshes.Num(); ++k) {
        const MeshData& mesh = meshes[k];
        const MaterialNames* materials = MaterialsOf(materialNames, k);
        writer.BeginMesh(uint32_t(k), mesh.name);

        writer.BeginVertices();
        for (const auto& vertex : mesh.vertices)
            writer.WriteVertex(vertex);
        writer.BeginNormals();
        for (const auto& normal : mesh.normals)
            writer.WriteNormal(normal);
        writer.BeginTextureCoordinates();
        for (int32_t s = 0; s < mesh.textureCoordinates.Num(); ++s) {
            writer.BeginTextureCoordinateSet(uint32_t(s));
            for (const auto& coordinate : mesh.textureCoordinates[s])
                writer.WriteTextureCoordinate(coordinate);
            writer.EndTextureCoordinateSet();
        }

        if (materials != nullptr) {
            writer.BeginMaterialNames();
            for (const auto& name : *materials)
                writer.WriteMaterialName(name);
        }

        writer.BeginPolygonVertexCounts();
        for (unsigned int count : mesh.polygonVertexCounts)
            writer.WritePolygonVertexCount(count);

        writer.BeginPolygonVertexIndices();
        const unsigned int* corner = mesh.polygonVertexIndices.GetData();
        for (unsigned int count : mesh.polygonVertexCounts) {
            writer.WritePolygonIndices(corner, count);
            corner += count;
        }
        writer.BeginPolygonNormalIndices();
        corner = mesh.polygonNormalIndices.GetData();
        for (unsigned int count : mesh.polygonVertexCounts) {
            writer.WritePolygonIndices(corner, count);
            corner += count;
        }
        writer.BeginPolygonTexCoordIndices();
        for (int32_t s = 0; s < mesh.polygonTexCoordIndices.Num(); ++s) {
            writer.BeginPolygonTexCoordSet(uint32_t(s));
            corner = mesh.polygonTexCoordIndices[s].GetData();
            for (unsigned int count : mesh.polygonVertexCounts) {
                writer.WritePolygonTexCoordIndices(corner, count);
                corner += count;
            }
            writer.EndPolygonTexCoordSet();
        }

        if (materials != nullptr) {
            writer.BeginPolygonMaterialIndices();
            bool available = mesh.polygonMaterialIndices.Num() > 0;
            for (int32_t p = 0; p < mesh.polygonVertexCounts.Num(); ++p) {
                if (available)
                    writer.WritePolygonMaterialIndex(mesh.polygonMaterialIndices[p]);
                else
                    writer.WriteMissingPolygonMaterialIndex();
            }
        }

        if (mesh.weights.Num() > 0) {
            writer.BeginVertexWeightCounts();
            for (unsigned int count : mesh.vertexWeightCounts)
                writer.WriteVertexWeightCount(count);
            writer.BeginWeights();
            for (const MeshData::Weight& weight : mesh.weights)
                writer.WriteWeight(weight.boneIndex, weight.weight);
        }

        writer.EndMesh();
    }
}

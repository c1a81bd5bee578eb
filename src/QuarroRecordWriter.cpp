#include "QuarroRecordWriter.h"

#include <charconv>
#include <cstdint>

#include "QuarroTextWriter.h"

namespace {

const QuarroRecordWriter::MaterialNames* MaterialsOf(const orlo::UArray<QuarroRecordWriter::MaterialNames>& all,
                                                     int32_t mesh) {
    if (mesh >= all.Num() || all[mesh].Num() == 0)
        return nullptr;
    return &all[mesh];
}

// Counts of a mesh may pass 32 bits when added up.
void AppendNumber(orlo::UBaseString<unsigned char>& text, uint64_t number) {
    char digits[24] = {};
    std::to_chars(digits, digits + sizeof(digits) - 1, number);
    text += digits;
}

} // namespace

bool QuarroRecordWriter::FindMisfit(const MeshData& mesh, const MaterialNames* materials, Misfit& misfit) {
    using String = orlo::UBaseString<unsigned char>;
    auto misfits = [&misfit](const String& field, uint64_t held, const char* what, uint64_t wanted, const char* unit) {
        misfit.field = field;
        misfit.reason = "holds ";
        AppendNumber(misfit.reason, held);
        misfit.reason += what;
        AppendNumber(misfit.reason, wanted);
        misfit.reason += unit;
        return true;
    };

    uint64_t corners = 0;
    for (unsigned int count : mesh.polygonVertexCounts)
        corners += count;
    if (uint64_t(mesh.polygonVertexIndices.Num()) != corners)
        return misfits("polygonVertexIndices", uint64_t(mesh.polygonVertexIndices.Num()), " indices for ", corners,
                       " polygon corners");
    if (uint64_t(mesh.polygonNormalIndices.Num()) != corners)
        return misfits("polygonNormalIndices", uint64_t(mesh.polygonNormalIndices.Num()), " indices for ", corners,
                       " polygon corners");
    for (int32_t s = 0; s < mesh.polygonTexCoordIndices.Num(); ++s) {
        if (uint64_t(mesh.polygonTexCoordIndices[s].Num()) != corners) {
            String field("polygonTexCoordIndices[");
            field += uint32_t(s);
            field += "]";
            return misfits(field, uint64_t(mesh.polygonTexCoordIndices[s].Num()), " indices for ", corners,
                           " polygon corners");
        }
    }

    const int32_t polygons = mesh.polygonVertexCounts.Num();
    const int32_t materialIndices = mesh.polygonMaterialIndices.Num();
    if (materialIndices != 0 && (materials == nullptr || materials->Num() == 0)) {
        misfit.field = "polygonMaterialIndices";
        misfit.reason = "needs materialNames: without them no material block is written";
        return true;
    }
    if (materialIndices != 0 && materialIndices != polygons)
        return misfits("polygonMaterialIndices", uint64_t(materialIndices), " indices for ", uint64_t(polygons),
                       " polygons");

    uint64_t weighted = 0;
    for (unsigned int count : mesh.vertexWeightCounts)
        weighted += count;
    if (weighted != uint64_t(mesh.weights.Num())) {
        misfit.field = "vertexWeightCounts";
        misfit.reason = "counts ";
        AppendNumber(misfit.reason, weighted);
        misfit.reason += " weights, but weights holds ";
        AppendNumber(misfit.reason, uint64_t(mesh.weights.Num()));
        return true;
    }
    return false;
}

void QuarroRecordWriter::Write(orlo::IOutputStream* stream, const orlo::UArray<BoneData>& bones,
                               const orlo::UArray<MeshData>& meshes, const orlo::UArray<MaterialNames>& materialNames) {
    for (int32_t k = 0; k < meshes.Num(); ++k) {
        Misfit misfit;
        if (FindMisfit(meshes[k], MaterialsOf(materialNames, k), misfit)) {
            orlo::UBaseString<unsigned char> message("meshes[");
            message += uint32_t(k);
            message += "].";
            message += misfit.field;
            message += ": ";
            message += misfit.reason;
            ORLO_RAISE(message.c_str());
        }
    }

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

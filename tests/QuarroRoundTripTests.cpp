#include <string>

#include <gtest/gtest.h>

#include "QuarroRecordWriter.h"
#include "QuarroTextReader.h"
#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"
#include "orlo/CoreServices/Implementations/ULogChannel.h"
#include "orlo/CoreServices/Implementations/UOutputStream_Memory.h"
#include "support/RecordingLog.h"
#include "support/TextDifference.h"
#include "support/WrittenText.h"

using namespace orlo;

namespace {

// Deterministic values in a range where four decimals read back to the same text.
class Values {
public:
    float Next() {
        m_state = m_state * 1664525u + 1013904223u;
        return float(int32_t(m_state >> 8) % 2000000) / 10000.0f - 100.0f;
    }
    unsigned Index(unsigned limit) {
        m_state = m_state * 1664525u + 1013904223u;
        return (m_state >> 8) % limit;
    }

private:
    uint32_t m_state = 12345;
};

MeshData GenerateMesh(Values& values, int k) {
    MeshData mesh;
    mesh.name = "mesh ";
    mesh.name += uint32_t(k);
    const unsigned vertexCount = 40;
    for (unsigned v = 0; v < vertexCount; ++v) {
        mesh.vertices.Add({values.Next(), values.Next(), values.Next()});
        mesh.normals.Add({values.Next(), values.Next(), values.Next()});
    }
    for (int s = 0; s < 2; ++s) {
        mesh.textureCoordinates.Add({});
        mesh.polygonTexCoordIndices.Add({});
        for (unsigned c = 0; c < vertexCount + unsigned(s); ++c)
            mesh.textureCoordinates[s].Add({values.Next(), values.Next()});
    }
    for (unsigned p = 0; p < 25; ++p) {
        unsigned corners = 3 + p % 3;
        mesh.polygonVertexCounts.Add(corners);
        for (unsigned c = 0; c < corners; ++c) {
            mesh.polygonVertexIndices.Add(values.Index(vertexCount));
            mesh.polygonNormalIndices.Add(values.Index(vertexCount));
            for (int s = 0; s < 2; ++s)
                mesh.polygonTexCoordIndices[s].Add(values.Index(vertexCount));
        }
    }
    for (unsigned v = 0; v < vertexCount; ++v) {
        unsigned count = v % 3;
        mesh.vertexWeightCounts.Add(count);
        for (unsigned w = 0; w < count; ++w)
            mesh.weights.Add({int32_t(values.Index(4)) - 1, values.Next()});
    }
    return mesh;
}

TEST(QuarroRoundTrip, WriteReadWriteGivesTheSameBytes) {
    Values values;
    UArray<BoneData> bones;
    for (int b = 0; b < 3; ++b) {
        int index = bones.Add(BoneData());
        bones[index].name = "bone ";
        bones[index].name += uint32_t(b);
        if (b > 0)
            bones[index].parent = "bone 0";
        for (auto& row : bones[index].invBaseMatrix.m)
            for (float& value : row)
                value = values.Next();
    }
    UArray<MeshData> meshes;
    for (int k = 0; k < 2; ++k)
        meshes.Add(GenerateMesh(values, k));
    // Material names are not read back, so the material indices are the
    // placeholder on both writes.
    UArray<QuarroRecordWriter::MaterialNames> materials;
    materials.Add({});
    materials[0].Add(UString("red"));
    materials[0].Add(UString("\xE9maille"));

    std::string first = orlo_test::WriteRecords(bones, meshes, materials);
    ASSERT_NE(first.find("materialNames"), std::string::npos);
    ASSERT_NE(first.find("polygonMaterialIndices"), std::string::npos);
    ASSERT_NE(first.find("weights"), std::string::npos);
    ASSERT_NE(first.find("set 1"), std::string::npos);

    UInputStream_Memory stream("round.qro", first.data(), first.size());
    UArray<BoneData> readBones;
    UArray<MeshData> readMeshes;
    orlo_test::RecordingLog collector;
    ULogChannel warnings(ULogChannel::KIND_WARNING);
    warnings.AddOutput(&collector);
    ASSERT_TRUE(QuarroTextReader::Read(&stream, readBones, readMeshes, &warnings)) << collector.All();
    EXPECT_EQ(readMeshes[0].weights.Num(), meshes[0].weights.Num());
    EXPECT_EQ(readMeshes[1].textureCoordinates[1].Num(), meshes[1].textureCoordinates[1].Num());

    std::string second = orlo_test::WriteRecords(readBones, readMeshes, materials);
    EXPECT_TRUE(first == second) << "the second write differs: " << orlo_test::FirstDifference(first, second);
}

} // namespace

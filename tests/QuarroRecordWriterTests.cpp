#include "QuarroRecordWriter.h"

#include <string>

#include <gtest/gtest.h>

#include "orlo/CoreServices/Implementations/UOutputStream_Memory.h"
#include "support/WrittenText.h"

using namespace orlo;

namespace {

// A triangle with one normal and neither sets, materials nor weights.
MeshData Triangle() {
    MeshData mesh;
    mesh.name = "tri";
    for (int i = 0; i < 3; ++i)
        mesh.vertices.Add({float(i), 0.0f, 0.0f});
    mesh.normals.Add({0.0f, 0.0f, 1.0f});
    mesh.polygonVertexCounts.Add(3);
    for (unsigned i = 0; i < 3; ++i) {
        mesh.polygonVertexIndices.Add(i);
        mesh.polygonNormalIndices.Add(0);
    }
    return mesh;
}

const char* const kTriangleText =
    "\r\nmesh 0 {\r\n\tname \"tri\""
    "\r\n\r\n\tvertices {\r\n\t\t0.0000 0.0000 0.0000\r\n\t\t1.0000 0.0000 0.0000\r\n\t\t2.0000 0.0000 0.0000"
    "\r\n\t}\r\n\r\n\tnormals {\r\n\t\t0.0000 0.0000 1.0000"
    "\r\n\t}\r\n\r\n\ttextureCoordinates {"
    "%MATERIALS%"
    "\r\n\t}\r\n\r\n\tpolygonVertexCounts {\r\n\t\t3"
    "\r\n\t}\r\n\r\n\tpolygonVertexIndices {\r\n\t\t0 1 2"
    "\r\n\t}\r\n\r\n\tpolygonNormalIndices {\r\n\t\t0 0 0"
    "\r\n\t}\r\n\r\n\tpolygonTexCoordIndices {"
    "%INDICES%"
    "\r\n\t}\r\n}\r\n";

std::string TriangleText(const std::string& materials, const std::string& indices) {
    std::string text = kTriangleText;
    text.replace(text.find("%MATERIALS%"), 11, materials);
    text.replace(text.find("%INDICES%"), 9, indices);
    return text;
}

TEST(QuarroRecordWriter, MeshWithoutSetsMaterialsOrWeights) {
    UArray<MeshData> meshes;
    meshes.Add(Triangle());
    EXPECT_EQ(orlo_test::WriteRecords({}, meshes), "version 1\r\n\r\nnumBones 0\r\nnumMeshes 1" + TriangleText("", ""));
}

TEST(QuarroRecordWriter, MaterialsWithAndWithoutIndices) {
    UArray<QuarroRecordWriter::MaterialNames> materials;
    materials.Add({});
    materials[0].Add(UString("red"));
    materials[0].Add(UString("blue"));
    const std::string names = "\r\n\t}\r\n\r\n\tmaterialNames {\r\n\t\t \"red\"\r\n\t\t \"blue\"";

    UArray<MeshData> meshes;
    meshes.Add(Triangle());
    EXPECT_EQ(orlo_test::WriteRecords({}, meshes, materials),
              "version 1\r\n\r\nnumBones 0\r\nnumMeshes 1" +
                  TriangleText(names, "\r\n\t}\r\n\r\n\tpolygonMaterialIndices {\r\n\t\t-1"));

    meshes[0].polygonMaterialIndices.Add(1);
    EXPECT_EQ(orlo_test::WriteRecords({}, meshes, materials),
              "version 1\r\n\r\nnumBones 0\r\nnumMeshes 1" +
                  TriangleText(names, "\r\n\t}\r\n\r\n\tpolygonMaterialIndices {\r\n\t\t1"));
}

struct BrokenMesh {
    const char* label;
    void (*breakIt)(MeshData&);
    const char* message;
};

class QuarroRecordWriterRefuses : public testing::TestWithParam<BrokenMesh> {};

TEST_P(QuarroRecordWriterRefuses, ListsThatDoNotFitTheirPolygons) {
    UArray<MeshData> meshes;
    meshes.Add(Triangle());
    GetParam().breakIt(meshes[0]);
    UArray<QuarroRecordWriter::MaterialNames> materials;
    materials.Add({});
    materials[0].Add(UString("m"));
    UOutputStream_Memory stream("memory");
    try {
        QuarroRecordWriter::Write(&stream, {}, meshes, materials);
        ADD_FAILURE() << "written";
    } catch (const ErrorDescription& error) {
        EXPECT_STREQ(error.GetMessageText(), GetParam().message);
    }
    EXPECT_EQ(stream.GetLength(), 0u) << "nothing is written before the check";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QuarroRecordWriterRefuses,
    testing::Values(BrokenMesh{"VertexIndices", [](MeshData& m) { m.polygonVertexIndices.Remove(2); },
                               "meshes[0].polygonVertexIndices: holds 2 indices for 3 polygon corners"},
                    BrokenMesh{"NormalIndices", [](MeshData& m) { m.polygonNormalIndices.Empty(); },
                               "meshes[0].polygonNormalIndices: holds 0 indices for 3 polygon corners"},
                    BrokenMesh{"TexCoordIndices",
                               [](MeshData& m) {
                                   m.polygonTexCoordIndices.Add({});
                                   m.polygonTexCoordIndices[0].Add(0);
                               },
                               "meshes[0].polygonTexCoordIndices[0]: holds 1 indices for 3 polygon corners"},
                    BrokenMesh{"MaterialIndices",
                               [](MeshData& m) {
                                   m.polygonMaterialIndices.Add(0);
                                   m.polygonMaterialIndices.Add(0);
                               },
                               "meshes[0].polygonMaterialIndices: holds 2 indices for 1 polygons"},
                    BrokenMesh{"CountsOverflow", [](MeshData& m) { m.polygonVertexCounts.Add(4294967295u); },
                               "meshes[0].polygonVertexIndices: holds 3 indices for 4294967298 polygon corners"},
                    // Longer lists than the corners would be cut without a word.
                    BrokenMesh{"VertexIndicesLonger", [](MeshData& m) { m.polygonVertexIndices.Add(0); },
                               "meshes[0].polygonVertexIndices: holds 4 indices for 3 polygon corners"},
                    BrokenMesh{"NormalIndicesLonger", [](MeshData& m) { m.polygonNormalIndices.Add(0); },
                               "meshes[0].polygonNormalIndices: holds 4 indices for 3 polygon corners"},
                    BrokenMesh{"WeightsUncounted",
                               [](MeshData& m) {
                                   m.weights.Add({0, 1.0f});
                               },
                               "meshes[0].vertexWeightCounts: counts 0 weights, but weights holds 1"}),
    [](const testing::TestParamInfo<BrokenMesh>& info) { return std::string(info.param.label); });

} // namespace

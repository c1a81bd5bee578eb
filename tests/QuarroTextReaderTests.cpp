#include "QuarroTextReader.h"

#include <limits>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"
#include "orlo/CoreServices/Implementations/ULogChannel.h"
#include "support/RecordingLog.h"

using namespace orlo;

namespace {

using Rejection = QuarroTextReader::Rejection;

struct ReadResult {
    bool accepted;
    Rejection rejection;
    UArray<BoneData> bones;
    UArray<MeshData> meshes;
    std::string warnings;
};

ReadResult Read(const std::string& text, const char* name = "scene.qro") {
    ReadResult result;
    UInputStream_Memory stream(name, text.data(), text.size());
    orlo_test::RecordingLog collector;
    ULogChannel warnings(ULogChannel::KIND_WARNING);
    warnings.AddOutput(&collector);
    result.accepted = QuarroTextReader::Read(&stream, result.bones, result.meshes, &warnings, &result.rejection);
    result.warnings = collector.All();
    return result;
}

// The two warnings of a rejected file: the one users have always seen, then
// the rule that refused it.
std::string Rejected(Rejection rejection, const std::string& name = "scene.qro") {
    return "WARNING: Can't handle file \"" + name + "\". Some data is missing or corrupt.\r\nWARNING: Reason: " +
           QuarroTextReader::DescribeRejection(rejection) + ".\r\n";
}

constexpr Rejection NONE = QuarroTextReader::REJECTION_NONE;
constexpr Rejection ZERO_BYTE = QuarroTextReader::REJECTION_ZERO_BYTE;
constexpr Rejection UNPAIRED_QUOTE = QuarroTextReader::REJECTION_UNPAIRED_QUOTE;
constexpr Rejection UNOPENED_BRACE = QuarroTextReader::REJECTION_UNOPENED_BRACE;
constexpr Rejection UNCLOSED_BRACE = QuarroTextReader::REJECTION_UNCLOSED_BRACE;
constexpr Rejection VERSION = QuarroTextReader::REJECTION_VERSION;
constexpr Rejection BONE_COUNT = QuarroTextReader::REJECTION_BONE_COUNT;
constexpr Rejection MESH_COUNT = QuarroTextReader::REJECTION_MESH_COUNT;
constexpr Rejection BONE_INDEX = QuarroTextReader::REJECTION_BONE_INDEX;
constexpr Rejection MESH_INDEX = QuarroTextReader::REJECTION_MESH_INDEX;
constexpr Rejection SET_NUMBER = QuarroTextReader::REJECTION_TEXTURE_SET_NUMBER;
constexpr Rejection INDEX_SET_NUMBER = QuarroTextReader::REJECTION_TEXTURE_INDEX_SET_NUMBER;

struct FileCase {
    const char* label;
    const char* text;
    Rejection rejection;
    int bones;
    int meshes;
};

class QuarroTextReaderFiles : public testing::TestWithParam<FileCase> {};

TEST_P(QuarroTextReaderFiles, AcceptOrRejectForItsReason) {
    ReadResult result = Read(GetParam().text);
    EXPECT_EQ(result.accepted, GetParam().rejection == NONE);
    EXPECT_EQ(result.rejection, GetParam().rejection)
        << QuarroTextReader::DescribeRejection(result.rejection) << " instead of "
        << QuarroTextReader::DescribeRejection(GetParam().rejection);
    EXPECT_EQ(result.warnings, GetParam().rejection == NONE ? "" : Rejected(GetParam().rejection));
    EXPECT_EQ(result.bones.Num(), GetParam().bones);
    EXPECT_EQ(result.meshes.Num(), GetParam().meshes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QuarroTextReaderFiles,
    testing::Values(FileCase{"OnlyVersion", "version 1", NONE, 0, 0}, FileCase{"Empty", "", NONE, 0, 0},
                    FileCase{"NoVersion", "numBones 2 numMeshes 1", NONE, 2, 1},
                    FileCase{"VersionTwo", "version 2", VERSION, 0, 0},
                    FileCase{"VersionOnePointZero", "version 1.0", VERSION, 0, 0},
                    FileCase{"VersionLeadingZero", "version 01", VERSION, 0, 0},
                    FileCase{"VersionWithoutValue", "numBones 1 version", VERSION, 0, 0},
                    FileCase{"QuotedVersion", "\"version\" \"1\"", NONE, 0, 0},
                    FileCase{"VersionAnywhere", "numMeshes 1 version 1", NONE, 0, 1},
                    FileCase{"MostBones", "numBones 4999", NONE, 4999, 0},
                    FileCase{"TooManyBones", "numBones 5000", BONE_COUNT, 0, 0},
                    FileCase{"NegativeBones", "numBones -1", BONE_COUNT, 0, 0},
                    FileCase{"TooManyMeshes", "numMeshes 4294967295", MESH_COUNT, 0, 0},
                    // Beyond 32 bits a number must not wrap into a small valid one.
                    FileCase{"BonesBeyond32BitsNegative", "numBones -4294967295", BONE_COUNT, 0, 0},
                    FileCase{"BonesBeyond32Bits", "numBones 4294967296", BONE_COUNT, 0, 0},
                    FileCase{"MeshIndexBeyond32BitsNegative", "numMeshes 1 mesh -4294967296 { name \"m\" }", MESH_INDEX,
                             0, 0},
                    FileCase{"MeshIndexBeyond32Bits", "numMeshes 1 mesh 4294967296 { }", MESH_INDEX, 0, 0},
                    FileCase{"SetBeyond32Bits", "numMeshes 1 mesh 0 { textureCoordinates { set 4294967296 { 1 2 } } }",
                             SET_NUMBER, 0, 0},
                    FileCase{"BoneBeforeCount", "bone 0 { name \"a\" }", BONE_INDEX, 0, 0},
                    FileCase{"BoneIndexAtCount", "numBones 1 bone 1 { }", BONE_INDEX, 0, 0},
                    FileCase{"NegativeMeshIndex", "numMeshes 1 mesh -1 { }", MESH_INDEX, 0, 0},
                    FileCase{"CountRepeated", "numBones 3 numBones 1", NONE, 1, 0},
                    FileCase{"SetsInOrder", "numMeshes 1 mesh 0 { textureCoordinates { set 0 { 1 2 } set 1 { 3 4 } } }",
                             NONE, 0, 1},
                    FileCase{"SetSkipped", "numMeshes 1 mesh 0 { textureCoordinates { set 0 { 1 2 } set 2 { 3 4 } } }",
                             SET_NUMBER, 0, 0},
                    FileCase{"IndexSetMisnamed", "numMeshes 1 mesh 0 { polygonTexCoordIndices { sets 0 { 1 } } }",
                             INDEX_SET_NUMBER, 0, 0},
                    FileCase{"UnknownWordsEverywhere",
                             "junk version 1 junk numBones 1 { junk } bone 0 { junk name \"b\" junk } numMeshes 1 "
                             "mesh 0 { junk vertices { 1 2 3 } junk }",
                             NONE, 1, 1}),
    [](const testing::TestParamInfo<FileCase>& info) { return std::string(info.param.label); });

TEST(QuarroTextReader, RejectionNamesTheStream) {
    ReadResult result = Read("version 3", "C:\\scenes\\\xE9t\xE9.qro");
    EXPECT_EQ(result.warnings, Rejected(VERSION, "C:\\scenes\\\xE9t\xE9.qro"));
}

TEST(QuarroTextReader, BoneBlockFields) {
    ReadResult result = Read("numBones 2\r\nbone 0 {\r\n\tname \"hip\"\r\n\tparent \"\"\r\n\tinvBaseMatrix"
                             " 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\r\n}\r\nbone 1 { \"name\" \"arm 1\" }");
    ASSERT_TRUE(result.accepted);
    EXPECT_STREQ(result.bones[0].name.c_str(), "hip");
    EXPECT_STREQ(result.bones[0].parent.c_str(), "");
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(result.bones[0].invBaseMatrix.m[r][c], float(r * 4 + c + 1));
    EXPECT_STREQ(result.bones[1].name.c_str(), "arm 1");
    EXPECT_EQ(result.bones[1].invBaseMatrix, TMatrix4<float>::Identity())
        << "a bone without a matrix keeps the identity";
}

TEST(QuarroTextReader, MeshBlockFields) {
    ReadResult result = Read("numMeshes 1 mesh 0 { name \"m\" vertices { 1 2 3 4 } normals { 0 0 1 } "
                             "textureCoordinates { set 0 { 0.5 0.25 } set 1 { } } materialNames { \"red\" } "
                             "polygonVertexCounts { 3 } polygonVertexIndices { 0 1 -1 } polygonNormalIndices { 0 0 0 } "
                             "polygonTexCoordIndices { set 0 { 0 0 0 } set 1 { 1 1 1 } } polygonMaterialIndices { 0 } "
                             "vertexWeightCounts { 2 0 } weights { 1 0.5 4294967295 0.5 } }");
    ASSERT_TRUE(result.accepted);
    const MeshData& mesh = result.meshes[0];
    EXPECT_STREQ(mesh.name.c_str(), "m");
    ASSERT_EQ(mesh.vertices.Num(), 2);
    EXPECT_EQ(mesh.vertices[0], (TVector3<float>{1, 2, 3}));
    EXPECT_EQ(mesh.vertices[1], (TVector3<float>{4, 0, 0})) << "missing components read as 0";
    ASSERT_EQ(mesh.normals.Num(), 1);
    ASSERT_EQ(mesh.textureCoordinates.Num(), 2);
    ASSERT_EQ(mesh.textureCoordinates[0].Num(), 1);
    EXPECT_EQ(mesh.textureCoordinates[0][0], (TVector2<float>{0.5f, 0.25f}));
    EXPECT_EQ(mesh.textureCoordinates[1].Num(), 0);
    ASSERT_EQ(mesh.polygonVertexIndices.Num(), 3);
    EXPECT_EQ(mesh.polygonVertexIndices[2], 4294967295u);
    ASSERT_EQ(mesh.polygonTexCoordIndices.Num(), 2);
    EXPECT_EQ(mesh.polygonTexCoordIndices[1][2], 1u);
    EXPECT_EQ(mesh.polygonMaterialIndices.Num(), 0) << "material indices are not read back";
    ASSERT_EQ(mesh.vertexWeightCounts.Num(), 2);
    ASSERT_EQ(mesh.weights.Num(), 2);
    EXPECT_EQ(mesh.weights[0].boneIndex, 1);
    EXPECT_EQ(mesh.weights[0].weight, 0.5f);
    EXPECT_EQ(mesh.weights[1].boneIndex, -1) << "the unsigned text of a negative index reads back";
}

// Every number is read from the first byte of its token, up to where the
// number ends, whether the block holds words only (read straight from the
// text) or quotes and braces as well (read through the tokenizer): a quoted
// string or a block reads as 0, a word as the number it starts with.
TEST(QuarroTextReader, NumbersAreReadFromTheStartOfEachToken) {
    ReadResult result = Read("numMeshes 1 mesh 0 {"
                             " vertices { 1 2x 0x10 -8e1 .5 +3 inf 1e40 7}"
                             " normals { 1 \"2 3\" 4 {5 6} 7x -8e1 }"
                             " polygonVertexIndices {\t12ab -1 \"3\" 4294967296 +0x5 7}"
                             " weights { 2 0.25 3 {0.5} } }");
    ASSERT_TRUE(result.accepted);
    const MeshData& mesh = result.meshes[0];
    const float infinity = std::numeric_limits<float>::infinity();
    ASSERT_EQ(mesh.vertices.Num(), 3);
    EXPECT_EQ(mesh.vertices[0], (TVector3<float>{1, 2, 16}));
    EXPECT_EQ(mesh.vertices[1], (TVector3<float>{-80, 0.5f, 3}));
    EXPECT_EQ(mesh.vertices[2], (TVector3<float>{infinity, infinity, 7})) << "the last word ends at the brace";
    ASSERT_EQ(mesh.normals.Num(), 2);
    EXPECT_EQ(mesh.normals[0], (TVector3<float>{1, 0, 4}));
    EXPECT_EQ(mesh.normals[1], (TVector3<float>{0, 7, -80}));
    ASSERT_EQ(mesh.polygonVertexIndices.Num(), 6);
    const unsigned int indices[] = {12, 4294967295u, 0, 4294967295u, 0, 7};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(mesh.polygonVertexIndices[i], indices[i]) << i;
    ASSERT_EQ(mesh.weights.Num(), 2);
    EXPECT_EQ(mesh.weights[1].boneIndex, 3);
    EXPECT_EQ(mesh.weights[1].weight, 0.0f);
}

TEST(QuarroTextReader, RepeatedListsAppendAndRepeatedSetsRestart) {
    ReadResult result =
        Read("numMeshes 1 mesh 0 { vertices { 1 1 1 } vertices { 2 2 2 } weights { 0 1 } weights { 1 1 } "
             "textureCoordinates { set 0 { 1 1 } set 1 { 2 2 } } textureCoordinates { set 0 { 3 3 } } }");
    ASSERT_TRUE(result.accepted);
    const MeshData& mesh = result.meshes[0];
    EXPECT_EQ(mesh.vertices.Num(), 2);
    EXPECT_EQ(mesh.weights.Num(), 2);
    ASSERT_EQ(mesh.textureCoordinates.Num(), 1);
    EXPECT_EQ(mesh.textureCoordinates[0][0].x, 3.0f);
}

TEST(QuarroTextReader, MeshBlockEmptiesListsButKeepsNameAndMaterialIndices) {
    MeshData mesh;
    mesh.name = "kept";
    mesh.vertices.Add({1, 1, 1});
    mesh.polygonMaterialIndices.Add(7);
    mesh.textureCoordinates.Add({});
    EXPECT_TRUE(QuarroTextReader::ReadMeshBlock(UString(" normals { 0 0 1 } "), mesh));
    EXPECT_STREQ(mesh.name.c_str(), "kept");
    EXPECT_EQ(mesh.vertices.Num(), 0);
    EXPECT_EQ(mesh.textureCoordinates.Num(), 0);
    EXPECT_EQ(mesh.normals.Num(), 1);
    ASSERT_EQ(mesh.polygonMaterialIndices.Num(), 1);
    EXPECT_EQ(mesh.polygonMaterialIndices[0], 7u);
}

TEST(QuarroTextReader, ZeroByteAnywhereRejectsTheFile) {
    using namespace std::string_literals;
    // Inside a block it would have cut the block's text and dropped the
    // vertices; the cut could also leave an inner brace open.
    for (const std::string& text :
         {"numMeshes 1 mesh 0 { name \"m\" \0 vertices { 1 2 3 } }"s, "numMeshes 1 mesh 0 { vertices { 1 \0 { 3 } }"s,
          "\0numBones 1"s, "numBones 1 bone 0 { name \"a\0b\" }"s}) {
        ReadResult result = Read(text);
        EXPECT_FALSE(result.accepted) << testing::PrintToString(text);
        EXPECT_EQ(result.warnings, Rejected(ZERO_BYTE));
        EXPECT_EQ(result.bones.Num(), 0);
        EXPECT_EQ(result.meshes.Num(), 0);
    }
}

// A file cut short or damaged by hand: its braces and quotes no longer pair.
// The tokenizer would make something of each (the first way a regex pairs the
// eighteen names' quotes closes the mesh with the names' brace, and the
// vertices become a block of the file that no keyword claims), and the file
// would be accepted with data missing. Each is refused, quickly.
TEST(QuarroTextReader, FilesWhoseBracesOrQuotesDoNotPairAreRefused) {
    std::string names = "numMeshes 1\r\nmesh 0 {\r\n\tname \"m\"\r\n\tmaterialNames {\r\n";
    for (int i = 0; i < 18; ++i) {
        // Piece by piece: GCC 12 warns about a chain of string additions here.
        names += "\t\t \"Material";
        names += std::to_string(i);
        names += "\"\r\n";
    }
    names += "\t}\r\n\tvertices {\r\n\t\t1.0000 2.0000 3.0000\r\n\t}\r\n";
    std::string meshes = "numMeshes 18\r\n";
    for (int i = 0; i < 18; ++i) {
        meshes += "mesh " + std::to_string(i);
        meshes += i == 0 ? " {\r\n\tname \"a\"\r\n" : " {\r\n\tname \"a\"\r\n}\r\n";
    }
    struct Case {
        const char* label;
        std::string text;
        Rejection rejection;
    };
    const Case cases[] = {
        {"eighteen names in a mesh whose last brace is missing", names, UNCLOSED_BRACE},
        {"eighteen meshes, the first one's brace deleted", meshes, UNCLOSED_BRACE},
        {"a closing brace too many", "numMeshes 1\r\nmesh 0 {\r\n\tname \"m\"\r\n}\r\n}\r\n", UNOPENED_BRACE},
        {"a closing brace first", "} numMeshes 1 mesh 0 { {", UNOPENED_BRACE},
        {"a quote that never closes", "numBones 1\r\nbone 0 {\r\n\tname \"root\r\n}\r\n", UNPAIRED_QUOTE},
        {"a brace opened inside a block and never closed", "numMeshes 1\r\nmesh 0 {\r\n\tvertices {\r\n}\r\n",
         UNCLOSED_BRACE},
    };
    for (const Case& c : cases) {
        ReadResult result = Read(c.text);
        EXPECT_FALSE(result.accepted) << c.label;
        EXPECT_EQ(result.rejection, c.rejection) << c.label;
        EXPECT_EQ(result.warnings, Rejected(c.rejection)) << c.label;
        EXPECT_EQ(result.meshes.Num(), 0) << c.label;
        EXPECT_EQ(result.bones.Num(), 0) << c.label;
    }
    // A brace inside a quoted name is text, not structure.
    ReadResult quoted = Read("numBones 1\r\nbone 0 {\r\n\tname \"a}{b\"\r\n}\r\n");
    EXPECT_TRUE(quoted.accepted);
    ASSERT_EQ(quoted.bones.Num(), 1);
    EXPECT_STREQ(quoted.bones[0].name.c_str(), "a}{b");
}

TEST(QuarroTextReader, RejectedFileLeavesNothingHalfRead) {
    ReadResult result = Read("numBones 1 bone 0 { name \"a\" } numMeshes 2 mesh 5 { }");
    EXPECT_FALSE(result.accepted);
    EXPECT_EQ(result.rejection, MESH_INDEX);
    EXPECT_EQ(result.bones.Num(), 0);
    EXPECT_EQ(result.meshes.Num(), 0);
}

// Each rule says something of its own: a user reading the reason can tell
// the rules apart.
TEST(QuarroTextReader, EveryRejectionHasADescriptionOfItsOwn) {
    std::set<std::string> seen;
    for (int r = NONE; r <= INDEX_SET_NUMBER; ++r) {
        const std::string text = QuarroTextReader::DescribeRejection(Rejection(r));
        EXPECT_FALSE(text.empty()) << r;
        EXPECT_NE(text, QuarroTextReader::DescribeRejection(Rejection(INDEX_SET_NUMBER + 1))) << r;
        EXPECT_TRUE(seen.insert(text).second) << r << ": " << text;
    }
}

} // namespace

#include <cmath>
#include <new>
#include <string>
#include <vector>

#include "../support/RecordingLog.h"
#include "../support/WrittenText.h"
#include "QuarroRecordWriter.h"
#include "QuarroTextWriter.h"
#include "TranslatorFixture.h"
#include "merrow/Platform/3dsmax/Kits/HMatrixConversion.h"
#include "merrow/Platform/3dsmax/Kits/HPolygonMeshKit.h"

using merrow::platform_3dsmax::HMatrixConversion;
using merrow::platform_3dsmax::HObject;
using merrow::platform_3dsmax::HPolygonMeshKit;
using orlo::TMatrix4;
using orlo::TVector2;
using orlo::TVector3;
using orlo::UArray;
using orlo::UString;

namespace {

BoneData Bone(const char* name, const char* parent, float x, float y, float z) {
    BoneData bone;
    bone.name = name;
    bone.parent = parent;
    // The inverse bind matrix of a bone translated to (x, y, z).
    bone.invBaseMatrix.m[3][0] = -x;
    bone.invBaseMatrix.m[3][1] = -y;
    bone.invBaseMatrix.m[3][2] = -z;
    return bone;
}

// A quad and a triangle with normals and `sets` texture-coordinate sets of
// different sizes.
MeshData QuadAndTriangle(const char* name, int sets) {
    MeshData mesh;
    mesh.name = name;
    for (const float* p : {(const float[]){0, 0, 0}, (const float[]){2, 0, 0}, (const float[]){2, 1, 0},
                           (const float[]){0, 1, 0}, (const float[]){3, 0, 0}})
        mesh.vertices.Add(TVector3<float>{p[0], p[1], p[2]});
    mesh.normals.Add(TVector3<float>{0, 0, 1});
    mesh.normals.Add(TVector3<float>{0, 0.6f, 0.8f});
    for (unsigned int c : {4u, 3u})
        mesh.polygonVertexCounts.Add(c);
    for (unsigned int i : {0u, 1u, 2u, 3u, 1u, 4u, 2u})
        mesh.polygonVertexIndices.Add(i);
    for (unsigned int i : {0u, 0u, 0u, 0u, 1u, 1u, 1u})
        mesh.polygonNormalIndices.Add(i);
    for (int s = 0; s < sets; ++s) {
        UArray<TVector2<float>> coordinates;
        UArray<unsigned int> indices;
        for (int c = 0; c <= s + 1; ++c)
            coordinates.Add(TVector2<float>{float(c) / 4, float(s)});
        for (int corner = 0; corner < 7; ++corner)
            indices.Add(unsigned(corner % (s + 2)));
        mesh.textureCoordinates.Add(coordinates);
        mesh.polygonTexCoordIndices.Add(indices);
    }
    return mesh;
}

// The records as they are, each list walked by its own length: the record
// writer would refuse lists that do not fit together.
std::string UncheckedText(const UArray<BoneData>& bones, const UArray<MeshData>& meshes) {
    orlo::UOutputStream_Memory stream("unchecked.qro");
    QuarroTextWriter writer(&stream);
    auto line = [&](const UArray<unsigned int>& values) { writer.WritePolygonIndices(values.GetData(), values.Num()); };
    writer.WriteHeader();
    writer.WriteBoneCount(bones.Num());
    for (int32_t b = 0; b < bones.Num(); ++b)
        writer.WriteBone(b, bones[b].name, bones[b].parent, bones[b].invBaseMatrix);
    writer.WriteMeshCount(meshes.Num());
    for (int32_t k = 0; k < meshes.Num(); ++k) {
        const MeshData& mesh = meshes[k];
        writer.BeginMesh(k, mesh.name);
        writer.BeginVertices();
        for (const auto& v : mesh.vertices)
            writer.WriteVertex(v);
        writer.BeginNormals();
        for (const auto& n : mesh.normals)
            writer.WriteNormal(n);
        writer.BeginTextureCoordinates();
        for (int32_t s = 0; s < mesh.textureCoordinates.Num(); ++s) {
            writer.BeginTextureCoordinateSet(s);
            for (const auto& t : mesh.textureCoordinates[s])
                writer.WriteTextureCoordinate(t);
            writer.EndTextureCoordinateSet();
        }
        writer.BeginPolygonVertexCounts();
        for (unsigned int count : mesh.polygonVertexCounts)
            writer.WritePolygonVertexCount(count);
        writer.BeginPolygonVertexIndices();
        line(mesh.polygonVertexIndices);
        writer.BeginPolygonNormalIndices();
        line(mesh.polygonNormalIndices);
        writer.BeginPolygonTexCoordIndices();
        for (int32_t s = 0; s < mesh.polygonTexCoordIndices.Num(); ++s) {
            writer.BeginPolygonTexCoordSet(s);
            line(mesh.polygonTexCoordIndices[s]);
            writer.EndPolygonTexCoordSet();
        }
        if (mesh.weights.Num() != 0) {
            writer.BeginVertexWeightCounts();
            for (unsigned int count : mesh.vertexWeightCounts)
                writer.WriteVertexWeightCount(count);
            writer.BeginWeights();
            for (const auto& w : mesh.weights)
                writer.WriteWeight(w.boneIndex, w.weight);
        }
        writer.EndMesh();
    }
    return orlo_test::TextOf(stream);
}

class QuarroImporterTest : public TranslatorTest {
protected:
    static Point3 WorldPosition(INode* node) { return node->GetNodeTM(Now()).GetTrans(); }
    static int TopLevelCount() { return Host()->GetRootNode()->NumberOfChildren(); }
};

TEST_F(QuarroImporterTest, BonesArePlacedParentsFirstAndLookedUpByTheFirstOfAName) {
    UArray<BoneData> bones;
    bones.Add(Bone("Hand", "Arm", 0, 0, 3));
    bones.Add(Bone("Arm", "Root", 0, 0, 1));
    bones.Add(Bone("Root", "", 0, 0, 0));
    bones.Add(Bone("Hand", "", 9, 9, 9)); // a second Hand: never built
    bones.Add(Bone("Finger", "Hand", 0, 0, 4));
    bones.Add(Bone("Stray", "Nobody", 5, 0, 0)); // a parent that names no bone
    bones.Add(Bone("Ping", "Pong", 0, 5, 0));    // a parent cycle
    bones.Add(Bone("Pong", "Ping", 0, 6, 0));
    BoneData flat = Bone("Flat", "", 0, 0, 0);
    flat.invBaseMatrix.m[0][0] = 0; // singular: taken as it is
    bones.Add(flat);
    ASSERT_EQ(Import(orlo_test::WriteRecords(bones, UArray<MeshData>())), 0);

    INode* hand = Find("Hand");
    INode* arm = Find("Arm");
    INode* root = Find("Root");
    ASSERT_TRUE(hand && arm && root);
    EXPECT_EQ(hand->GetParentNode(), arm);
    ASSERT_NE(Find("Finger"), nullptr);
    EXPECT_EQ(Find("Finger")->GetParentNode(), hand);
    EXPECT_EQ(arm->GetParentNode(), root);
    EXPECT_TRUE(root->GetParentNode()->IsRootNode());
    ExpectNear(WorldPosition(hand), Point3(0, 0, 3));
    ExpectNear(WorldPosition(arm), Point3(0, 0, 1));
    // Root, Stray, one of Ping and Pong, Flat at the top; no second Hand.
    EXPECT_EQ(TopLevelCount(), 4);
    ASSERT_TRUE(Find("Stray") && Find("Ping") && Find("Pong") && Find("Flat"));
    EXPECT_TRUE(Find("Stray")->GetParentNode()->IsRootNode());
    const bool pingOnTop = Find("Ping")->GetParentNode()->IsRootNode();
    const bool pongOnTop = Find("Pong")->GetParentNode()->IsRootNode();
    EXPECT_NE(pingOnTop, pongOnTop);
    EXPECT_EQ(Find("Flat")->GetNodeTM(Now()).GetRow(0), Point3(0, 0, 0));
    ExpectNear(WorldPosition(Find("Stray")), Point3(5, 0, 0));
}

// Parents are found through the name table, which keeps the later of two
// bones of one name: a child listed before both has the later one built as
// its parent, so the one node of that name stands where the later bone does.
TEST_F(QuarroImporterTest, AChildListedBeforeTwoBonesOfItsParentsNameHangsBelowTheLaterOne) {
    UArray<BoneData> bones;
    bones.Add(Bone("Child", "Parent", 0, 0, 3));
    bones.Add(Bone("Parent", "", 1, 0, 0));
    bones.Add(Bone("Parent", "", 2, 0, 0));
    ASSERT_EQ(Import(orlo_test::WriteRecords(bones, UArray<MeshData>())), 0);
    INode* parent = Find("Parent");
    INode* child = Find("Child");
    ASSERT_TRUE(parent && child);
    EXPECT_EQ(child->GetParentNode(), parent);
    ExpectNear(WorldPosition(parent), Point3(2, 0, 0));
    EXPECT_EQ(TopLevelCount(), 1);
}

// An inverse bind matrix of a bone bound at a hundred times its size (as
// files from tools that work in centimetres have them) is inverted, not taken
// for singular: the bone stands at that size.
TEST_F(QuarroImporterTest, ABoneAtAHundredTimesItsSizeIsPlacedAtThatSize) {
    UArray<BoneData> bones;
    BoneData large = Bone("Large", "", 0, 0, 0);
    for (int i = 0; i < 3; ++i)
        large.invBaseMatrix.m[i][i] = 0.01f;
    large.invBaseMatrix.m[3][0] = -0.01f; // standing at (1, 0, 0)
    bones.Add(large);
    ASSERT_EQ(Import(orlo_test::WriteRecords(bones, UArray<MeshData>())), 0);
    INode* node = Find("Large");
    ASSERT_TRUE(node);
    const Matrix3 tm = node->GetNodeTM(Now());
    EXPECT_NEAR(Length(tm.GetRow(0)), 100.0f, 0.01f);
    EXPECT_NEAR(Length(tm.GetRow(2)), 100.0f, 0.01f);
    ExpectNear(tm.GetTrans(), Point3(1, 0, 0));
}

TEST_F(QuarroImporterTest, AMeshGetsItsNormalsEverySetOnAChannelItsNameAndNoSkinWithoutWeights) {
    UArray<MeshData> meshes;
    meshes.Add(QuadAndTriangle("Cloth", 3));
    ASSERT_EQ(Import(orlo_test::WriteRecords(UArray<BoneData>(), meshes)), 0);

    INode* node = Find("Cloth");
    ASSERT_NE(node, nullptr);
    HPolygonMeshKit<float> kit(Handle(node));
    UArray<unsigned int> counts;
    UArray<unsigned int> indices;
    ASSERT_TRUE(kit.GetPolygons(counts, indices).IsDone());
    EXPECT_EQ(Vec(counts), (std::vector<unsigned int>{4, 3}));
    EXPECT_EQ(Vec(indices), (std::vector<unsigned int>{0, 1, 2, 3, 1, 4, 2}));
    UArray<TVector3<float>> normals;
    ASSERT_TRUE(kit.GetNormals(normals).IsDone());
    ASSERT_EQ(normals.Num(), 2);
    EXPECT_NEAR(normals[1].y, 0.6f, 1e-4f);
    ASSERT_EQ(kit.GetNumTextureCoordinateSets(), 3u);
    for (unsigned int set = 0; set < 3; ++set) {
        UArray<TVector2<float>> coordinates;
        ASSERT_TRUE(kit.GetTextureCoordinates(set, coordinates).IsDone());
        EXPECT_EQ(coordinates.Num(), int32_t(set + 2)) << "set " << set;
        EXPECT_NEAR(coordinates[1].x, 0.25f, 1e-6f);
        EXPECT_NEAR(coordinates[1].y, float(set), 1e-6f);
    }
    UArray<HObject> skinBones;
    EXPECT_FALSE(kit.GetBones(skinBones).IsDone());
}

TEST_F(QuarroImporterTest, WeightsBindTheMeshToTheFilesBones) {
    UArray<BoneData> bones;
    bones.Add(Bone("Root", "", 0, 0, 0));
    bones.Add(Bone("Tip", "Root", 0, 0, 2));
    UArray<MeshData> meshes;
    MeshData mesh = QuadAndTriangle("Skinned", 1);
    for (unsigned int count : {1u, 2u, 1u, 0u, 1u})
        mesh.vertexWeightCounts.Add(count);
    for (const MeshData::Weight& weight :
         {MeshData::Weight{1, 1.0f}, MeshData::Weight{0, 0.5f}, MeshData::Weight{1, 0.5f}, MeshData::Weight{0, 1.0f},
          MeshData::Weight{1, 1.0f}})
        mesh.weights.Add(weight);
    meshes.Add(mesh);
    ASSERT_EQ(Import(orlo_test::WriteRecords(bones, meshes)), 0);

    // What the exporter reads back is what the file said.
    const Exported again = Export();
    ASSERT_EQ(again.code, 0);
    UArray<BoneData> readBones;
    UArray<MeshData> readMeshes;
    ReadBack(again.text, readBones, readMeshes);
    ASSERT_EQ(readMeshes.Num(), 1);
    EXPECT_EQ(Vec(readMeshes[0].vertexWeightCounts), (std::vector<unsigned int>{1, 2, 1, 0, 1}));
    ASSERT_EQ(readMeshes[0].weights.Num(), 5);
    for (int w = 0; w < 5; ++w) {
        EXPECT_STREQ(readBones[readMeshes[0].weights[w].boneIndex].name.c_str(),
                     bones[mesh.weights[w].boneIndex].name.c_str())
            << "weight " << w;
        EXPECT_NEAR(readMeshes[0].weights[w].weight, mesh.weights[w].weight, 1e-4f);
    }
}

TEST_F(QuarroImporterTest, AMeshWhoseListsDisagreeIsSkippedWithAWarning) {
    struct Case {
        const char* what;
        void (*breakIt)(MeshData&);
        const char* warning;
    };
    const Case cases[] = {
        {"vertex index", [](MeshData& m) { m.polygonVertexIndices[5] = 5; }, "vertex index"},
        {"normal index", [](MeshData& m) { m.polygonNormalIndices[0] = 2; }, "normal index"},
        {"coordinate index", [](MeshData& m) { m.polygonTexCoordIndices[0][6] = 2; }, "texture-coordinate index"},
        {"missing index set", [](MeshData& m) { m.polygonTexCoordIndices.Remove(0); }, "index sets"},
        {"corner counts", [](MeshData& m) { m.polygonVertexCounts[1] = 4; }, "polygon vertex counts"},
        {"weight counts",
         [](MeshData& m) {
             m.vertexWeightCounts.Add(2);
             m.weights.Add(MeshData::Weight{0, 1.0f});
         },
         "weight counts"},
        {"weight bone",
         [](MeshData& m) {
             m.vertexWeightCounts.Add(1);
             m.weights.Add(MeshData::Weight{7, 1.0f});
         },
         "bone"},
    };
    for (const Case& c : cases) {
        KitsTest::SetUp();
        orlo_test::WarningCapture warnings;
        UArray<BoneData> bones;
        bones.Add(Bone("Root", "", 0, 0, 0));
        UArray<MeshData> meshes;
        meshes.Add(QuadAndTriangle("Good", 1));
        meshes.Add(QuadAndTriangle("Bad", 1));
        c.breakIt(meshes[1]);
        const std::string text = UncheckedText(bones, meshes);

        EXPECT_EQ(Import(text), 0) << c.what;
        EXPECT_NE(Find("Good"), nullptr) << c.what;
        EXPECT_EQ(Find("Bad"), nullptr) << c.what;
        ASSERT_EQ(warnings.Messages().size(), 1u) << c.what << ": " << warnings.All();
        EXPECT_NE(warnings.All().find("Mesh \"Bad\" is not imported: "), std::string::npos) << warnings.All();
        EXPECT_NE(warnings.All().find(c.warning), std::string::npos) << c.what << ": " << warnings.All();
    }
}

// Bones of one name share the first one's node, which the skin holds once:
// each weight must still reach the node of its bone's name.
TEST_F(QuarroImporterTest, WeightsOnBonesOfARepeatedNameReachTheirNodes) {
    UArray<BoneData> bones;
    bones.Add(Bone("A", "", 0, 0, 0));
    bones.Add(Bone("A", "", 0, 0, 5));
    bones.Add(Bone("B", "", 1, 0, 0));
    UArray<MeshData> meshes;
    MeshData mesh = QuadAndTriangle("Skinned", 0);
    for (unsigned int count : {1u, 1u, 2u, 1u, 1u})
        mesh.vertexWeightCounts.Add(count);
    for (const MeshData::Weight& weight :
         {MeshData::Weight{0, 1.0f}, MeshData::Weight{1, 1.0f}, MeshData::Weight{1, 0.25f}, MeshData::Weight{2, 0.75f},
          MeshData::Weight{2, 1.0f}, MeshData::Weight{0, 1.0f}})
        mesh.weights.Add(weight);
    meshes.Add(mesh);
    ASSERT_EQ(Import(orlo_test::WriteRecords(bones, meshes)), 0);

    HPolygonMeshKit<float> kit(Handle(Find("Skinned")));
    UArray<HObject> skinBones;
    ASSERT_TRUE(kit.GetBones(skinBones).IsDone());
    ASSERT_EQ(skinBones.Num(), 2);
    EXPECT_EQ(skinBones[0].GetNode(), Find("A"));
    EXPECT_EQ(skinBones[1].GetNode(), Find("B"));
    UArray<float> values;
    UArray<unsigned int> slots;
    UArray<unsigned int> counts;
    ASSERT_TRUE(kit.GetWeights(values, slots, counts).IsDone());
    EXPECT_EQ(Vec(counts), (std::vector<unsigned int>{1, 1, 2, 1, 1}));
    ASSERT_EQ(slots.Num(), 6);
    const char* expected[6] = {"A", "A", "A", "B", "B", "A"};
    for (int w = 0; w < 6; ++w) {
        EXPECT_STREQ(skinBones[int32_t(slots[w])].GetNode()->GetName(), expected[w]) << "weight " << w;
        EXPECT_NEAR(values[w], mesh.weights[w].weight, 1e-6f) << "weight " << w;
    }
}

// A bone that the count announces but no block describes has no name: it
// is a bone named "" as far as names go, so two of them share one node and
// weights on either reach it, and no vertex loses its weights.
TEST_F(QuarroImporterTest, BonesWithoutABlockShareTheNodeOfTheEmptyNameAndKeepTheirWeights) {
    const std::string text = "version 1\r\nnumBones 4\r\n"
                             "bone 0 { name \"A\" parent \"\" }\r\n"
                             "bone 2 { name \"B\" parent \"\" }\r\n"
                             "numMeshes 1\r\nmesh 0 {\r\n\tname \"Skinned\"\r\n"
                             "\tvertices { 0 0 0 1 0 0 0 1 0 1 1 0 }\r\n"
                             "\tpolygonVertexCounts { 4 }\r\n\tpolygonVertexIndices { 0 1 3 2 }\r\n"
                             "\tvertexWeightCounts { 1 1 1 1 }\r\n"
                             "\tweights { 1 0.5 3 0.25 2 1 0 1 }\r\n}\r\n";
    ASSERT_EQ(Import(text), 0);

    int nameless = 0;
    for (int i = 0; i < TopLevelCount(); ++i)
        if (std::string(Host()->GetRootNode()->GetChildNode(i)->GetName()).empty())
            ++nameless;
    EXPECT_EQ(nameless, 1);

    HPolygonMeshKit<float> kit(Handle(Find("Skinned")));
    UArray<HObject> skinBones;
    ASSERT_TRUE(kit.GetBones(skinBones).IsDone());
    UArray<float> values;
    UArray<unsigned int> slots;
    UArray<unsigned int> counts;
    ASSERT_TRUE(kit.GetWeights(values, slots, counts).IsDone());
    EXPECT_EQ(Vec(counts), (std::vector<unsigned int>{1, 1, 1, 1}));
    ASSERT_EQ(slots.Num(), 4);
    const char* expected[4] = {"", "", "B", "A"};
    const float weights[4] = {0.5f, 0.25f, 1.0f, 1.0f};
    for (int w = 0; w < 4; ++w) {
        INode* bone = skinBones[int32_t(slots[w])].GetNode();
        ASSERT_NE(bone, nullptr) << "weight " << w;
        EXPECT_STREQ(bone->GetName(), expected[w]) << "weight " << w;
        EXPECT_FLOAT_EQ(values[w], weights[w]) << "weight " << w;
    }
}

// Counts such as {5, 2} match the index list; the polygon of two corners is
// refused with its mesh, and the meshes after it are built all the same,
// with or without texture-coordinate sets.
TEST_F(QuarroImporterTest, APolygonOfFewerThanThreeCornersSkipsItsMeshOnly) {
    for (int sets : {0, 2}) {
        SCOPED_TRACE(std::to_string(sets) + " sets");
        KitsTest::SetUp();
        orlo_test::WarningCapture warnings;
        UArray<MeshData> meshes;
        meshes.Add(QuadAndTriangle("Before", sets));
        meshes.Add(QuadAndTriangle("Bad", sets));
        meshes[1].polygonVertexCounts[0] = 5;
        meshes[1].polygonVertexCounts[1] = 2;
        meshes.Add(QuadAndTriangle("After", sets));
        int code = -1;
        EXPECT_NO_THROW(code = Import(UncheckedText(UArray<BoneData>(), meshes)));
        EXPECT_EQ(code, 0);
        EXPECT_NE(Find("Before"), nullptr);
        EXPECT_EQ(Find("Bad"), nullptr);
        EXPECT_NE(Find("After"), nullptr);
        EXPECT_EQ(TopLevelCount(), 2);
        ASSERT_EQ(warnings.Messages().size(), 1u) << warnings.All();
        EXPECT_NE(warnings.All().find("Mesh \"Bad\" is not imported: a polygon has fewer than three corners."),
                  std::string::npos)
            << warnings.All();
    }
}

// An inverse bind matrix ten long and a hundredth thin has a determinant of
// 1e-3: it is inverted, not taken as the node's transform.
TEST_F(QuarroImporterTest, ALongThinInverseBindMatrixIsInverted) {
    UArray<BoneData> bones;
    BoneData thin = Bone("Thin", "", 0, 0, 0);
    thin.invBaseMatrix.m[0][0] = 10.0f;
    thin.invBaseMatrix.m[1][1] = 0.01f;
    thin.invBaseMatrix.m[2][2] = 0.01f;
    bones.Add(thin);
    ASSERT_EQ(Import(orlo_test::WriteRecords(bones, UArray<MeshData>())), 0);
    ASSERT_TRUE(Find("Thin"));
    const Matrix3 tm = Find("Thin")->GetNodeTM(Now());
    EXPECT_NEAR(Length(tm.GetRow(0)), 0.1f, 1e-5f);
    EXPECT_NEAR(Length(tm.GetRow(1)), 100.0f, 0.01f);
    EXPECT_NEAR(Length(tm.GetRow(2)), 100.0f, 0.01f);
}

// The host runs out of memory while a mesh is finished: the error goes on
// to the glue, the half-built mesh leaves the scene, the host is told of
// every change (the fixture checks its rules), and the bones stay.
TEST_F(QuarroImporterTest, AMeshTheHostRunsOutOfMemoryForLeavesTheScene) {
    for (const char* operation : {"BuildNormals", "AddWeights"}) {
        SCOPED_TRACE(operation);
        UArray<BoneData> bones;
        bones.Add(Bone("Root", "", 0, 0, 0));
        bones.Add(Bone("Tip", "Root", 0, 0, 2));
        UArray<MeshData> meshes;
        MeshData mesh = QuadAndTriangle("Starved", 1);
        for (unsigned int count : {1u, 1u, 1u, 1u, 1u})
            mesh.vertexWeightCounts.Add(count);
        for (int v = 0; v < 5; ++v)
            mesh.weights.Add(MeshData::Weight{v % 2, 1.0f});
        meshes.Add(mesh);
        const std::string text = orlo_test::WriteRecords(bones, meshes);
        maxsim::HostInterface::Instance().RunOutOfMemoryIn(operation);
        EXPECT_THROW(Import(text), std::bad_alloc);
        EXPECT_EQ(TopLevelCount(), 1) << "a node besides the root bone";
        EXPECT_EQ(Find("Starved"), nullptr);
        EXPECT_NE(Find("Tip"), nullptr);
        EXPECT_EQ(TakeHostRuleBreaks(), std::vector<std::string>{});
        maxsim::HostInterface::Instance().Reset();
    }
}

TEST_F(QuarroImporterTest, ARejectedFileBuildsNothing) {
    orlo_test::WarningCapture warnings;
    UArray<BoneData> bones;
    bones.Add(Bone("Root", "", 0, 0, 0));
    std::string text = orlo_test::WriteRecords(bones, UArray<MeshData>());
    text.replace(text.find("version 1"), 9, "version 2");
    EXPECT_EQ(Import(text), 1);
    EXPECT_EQ(TopLevelCount(), 0);
    EXPECT_NE(warnings.All().find("Some data is missing or corrupt."), std::string::npos);
}

} // namespace

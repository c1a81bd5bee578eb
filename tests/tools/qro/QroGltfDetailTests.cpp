// qro gltf, case by case: how bones, weights and materials come out, what it
// refuses and how it reports it, and the files it leaves.

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GltfTestFile.h"
#include "QroGltfTestSupport.h"

namespace {

namespace fs = std::filesystem;

using qro_gltf_test::Qro;
using qro_gltf_test::Scratch;

// Converts `qro` to a .glb in the scratch folder and loads it; `err` gets
// qro's standard error.
void Convert(const std::string& qro, GltfTestFile& gltf, std::string* err = nullptr) {
    std::string out = (Scratch() / (fs::path(qro).stem().string() + ".glb")).string();
    ChildProcess::Outcome outcome = Qro({"gltf", qro, out});
    ASSERT_EQ(outcome.exit, 0) << outcome.err;
    if (err != nullptr)
        *err = outcome.err;
    std::string error;
    ASSERT_TRUE(gltf.Load(out, error)) << error;
}

std::vector<std::string> Names(const nlohmann::json& list, const std::vector<int>& indices) {
    std::vector<std::string> names;
    for (int index : indices)
        names.push_back(list[size_t(index)].value("name", std::string()));
    return names;
}

std::vector<int> Children(const nlohmann::json& node) {
    return node.value("children", std::vector<int>());
}

TEST(QroGltf, BannerBonesBecomeJointsInTheirHierarchyWithTheFilesMatrices) {
    GltfTestFile gltf;
    ASSERT_NO_FATAL_FAILURE(Convert("samples/banner.qro", gltf));
    const nlohmann::json& json = gltf.Json();
    // The scene: the top node (named after the file, no transform: the data
    // is Y-up itself), then the skinned mesh beside it.
    std::vector<int> roots = json["scenes"][0]["nodes"];
    EXPECT_EQ(Names(json["nodes"], roots), (std::vector<std::string>{"banner", "Banner"}));
    const nlohmann::json& top = json["nodes"][size_t(roots[0])];
    EXPECT_EQ(top, nlohmann::json::parse(R"({"name":"banner","children":[1]})"));
    EXPECT_EQ(Names(json["nodes"], Children(top)), (std::vector<std::string>{"Hips"}));
    int hips = gltf.NodeNamed("Hips"), spine = gltf.NodeNamed("Spine");
    EXPECT_EQ(gltf.ParentOf(spine), hips);
    // Spine's bind pose is one up (z in the file, y in glTF) from Hips: its
    // inverse moves down by 1.
    EXPECT_EQ(json["nodes"][size_t(spine)]["translation"], nlohmann::json::parse("[0.0,1.0,0.0]"));
    EXPECT_FALSE(json["nodes"][size_t(hips)].contains("translation"));

    const nlohmann::json& skin = json["skins"][0];
    EXPECT_EQ(skin["joints"], nlohmann::json::array({hips, spine}));
    std::vector<double> matrices = gltf.Read(skin["inverseBindMatrices"]);
    std::vector<double> expected = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0,  0, 1,
                                    1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -1, 0, 1};
    EXPECT_EQ(matrices, expected);
}

TEST(QroGltf, BannerPrimitivesFollowItsMaterials) {
    GltfTestFile gltf;
    ASSERT_NO_FATAL_FAILURE(Convert("samples/banner.qro", gltf));
    const nlohmann::json& json = gltf.Json();
    ASSERT_EQ(json["materials"].size(), 2u);
    EXPECT_EQ(json["materials"][0]["name"], "Cloth");
    EXPECT_EQ(json["materials"][1]["name"], "Trim");
    const nlohmann::json& primitives = json["meshes"][0]["primitives"];
    ASSERT_EQ(primitives.size(), 2u);
    EXPECT_EQ(primitives[0]["material"], 0);
    EXPECT_EQ(primitives[1]["material"], 1);
    // The quad, then the triangle; 16-bit indices for so few vertices.
    EXPECT_EQ(json["accessors"][primitives[0]["indices"].get<size_t>()]["count"], 6);
    EXPECT_EQ(json["accessors"][primitives[0]["indices"].get<size_t>()]["componentType"], 5123);
    EXPECT_EQ(json["accessors"][primitives[1]["indices"].get<size_t>()]["count"], 3);
    // Two sets of coordinates, each its own attribute; v turned upside down.
    std::vector<double> set1 = gltf.Read(primitives[1]["attributes"]["TEXCOORD_1"]);
    EXPECT_EQ(set1, (std::vector<double>{0.25, 0.75, 0.75, 0.75, 0.5, 0.25}));
}

TEST(QroGltf, FourLargestWeightsRenormalisedAndUnweightedVerticesOnTheRootJoint) {
    GltfTestFile gltf;
    std::string err;
    ASSERT_NO_FATAL_FAILURE(Convert("tests/data/qro/gltf/weights.qro", gltf, &err));
    const nlohmann::json& json = gltf.Json();
    const nlohmann::json& skin = json["skins"][0];
    // Six bones and the added joint for vertices without weights.
    ASSERT_EQ(skin["joints"].size(), 7u);
    int root = skin["joints"][6];
    EXPECT_EQ(json["nodes"][size_t(root)]["name"], "(unweighted)");
    EXPECT_EQ(gltf.ParentOf(root), json["scenes"][0]["nodes"][0].get<int>());
    std::vector<double> matrices = gltf.Read(skin["inverseBindMatrices"]);
    EXPECT_EQ(std::vector<double>(matrices.begin() + 6 * 16, matrices.end()),
              (std::vector<double>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));

    const nlohmann::json& attributes = json["meshes"][0]["primitives"][0]["attributes"];
    std::vector<double> joints = gltf.Read(attributes["JOINTS_0"]);
    std::vector<double> weights = gltf.Read(attributes["WEIGHTS_0"]);
    // Vertex 0: A 0.3 + 0.05 (named twice), B 0.25, C 0.2 (+0), D and E 0.1
    // (a tie: the lower bone), F 0.05 dropped; divided by their sum 0.9.
    EXPECT_EQ(std::vector<double>(joints.begin(), joints.begin() + 4), (std::vector<double>{0, 1, 2, 3}));
    const double kept[4] = {0.35, 0.25, 0.2, 0.1};
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(weights[size_t(k)], kept[k] / 0.9, 1e-6);
    // Vertex 1 has no weights, vertex 2 only a zero and a negative one.
    for (size_t v : {1u, 2u}) {
        EXPECT_EQ(std::vector<double>(joints.begin() + long(v * 4), joints.begin() + long(v * 4 + 4)),
                  (std::vector<double>{6, 0, 0, 0}));
        EXPECT_EQ(weights[v * 4], 1.0);
    }
    // Vertex 3: one weight of 0.3 becomes 1.
    EXPECT_EQ(joints[12], 2.0);
    EXPECT_EQ(weights[12], 1.0);

    EXPECT_NE(err.find("qro: note: mesh 0 \"Weighted\": 1 vertex has more than four weights; the four largest are "
                       "kept, renormalised.\n"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("mesh 0 \"Weighted\": 2 vertices have no weights; bound to the joint \"(unweighted)\""),
              std::string::npos)
        << err;
}

TEST(QroGltf, ParentsByNameCyclesAtTheTopAndUniqueNodeNames) {
    GltfTestFile gltf;
    std::string err;
    ASSERT_NO_FATAL_FAILURE(Convert("tests/data/qro/gltf/bones.qro", gltf, &err));
    const nlohmann::json& json = gltf.Json();
    const int top = json["scenes"][0]["nodes"][0];
    // The skin lists the bones in file order: node of bone b = joints[b].
    std::vector<int> bone = json["skins"][0]["joints"];
    auto parentOf = [&](int b) { return gltf.ParentOf(bone[size_t(b)]); };
    EXPECT_EQ(parentOf(0), top) << "a parent that names no bone leaves the bone at the top";
    EXPECT_EQ(parentOf(1), bone[0]);
    EXPECT_EQ(parentOf(2), bone[1]);
    EXPECT_EQ(parentOf(3), bone[0]);
    EXPECT_EQ(parentOf(4), bone[5]) << "LoopA hangs below LoopB";
    EXPECT_EQ(parentOf(5), top) << "LoopB below LoopA would close the cycle";
    EXPECT_EQ(parentOf(6), top) << "a bone cannot be its own parent";
    EXPECT_EQ(parentOf(8), bone[0]);
    EXPECT_EQ(parentOf(9), bone[7]) << "a parent name names the first bone of that name";
    EXPECT_EQ(json["nodes"][size_t(bone[7])]["name"], "Twin");
    EXPECT_EQ(json["nodes"][size_t(bone[8])]["name"], "Twin_1");

    for (const char* note :
         {"bone 5 \"LoopB\": its parent \"LoopA\" would close a cycle",
          "bone 6 \"Self\": its parent \"Self\" would close a cycle",
          "bone 3 \"Flat\": its invBaseMatrix cannot be inverted", "bone 10 \"Sheared\": its bind pose is sheared",
          "bone 8 \"Twin\": its node is named \"Twin_1\""})
        EXPECT_NE(err.find(note), std::string::npos) << note << "\n" << err;
    // Mirror: a negative scale; Thigh: scale 2 relative to the turned Pelvis.
    const nlohmann::json& mirror = json["nodes"][size_t(bone[2])];
    ASSERT_TRUE(mirror.contains("scale"));
    EXPECT_LT(mirror["scale"][0].get<double>() * mirror["scale"][1].get<double>() * mirror["scale"][2].get<double>(),
              0.0);
    EXPECT_EQ(json["nodes"][size_t(bone[1])]["scale"], nlohmann::json::parse("[2.0,2.0,2.0]"));
}

// A column standing along the file's z (x 1..2, y 3..4, z 0..6) on two
// bones, and a plain triangle beside it, 2 high along z: in the glTF both
// stand along y, with bounds (x, z, -y) and the bones turned alike.
TEST(QroGltf, TallAlongZInTheFileIsTallAlongYInTheGltf) {
    GltfTestFile gltf;
    std::string err;
    ASSERT_NO_FATAL_FAILURE(Convert("tests/data/qro/gltf/tall_along_z.qro", gltf, &err));
    EXPECT_EQ(err, "");
    const nlohmann::json& json = gltf.Json();
    auto bounds = [&](const char* name, const char* key) {
        const nlohmann::json& node = json["nodes"][size_t(gltf.NodeNamed(name))];
        const nlohmann::json& primitive = json["meshes"][node["mesh"].get<size_t>()]["primitives"][0];
        return json["accessors"][primitive["attributes"]["POSITION"].get<size_t>()][key];
    };
    EXPECT_EQ(bounds("Column", "min"), nlohmann::json::parse("[1.0,0.0,-4.0]"));
    EXPECT_EQ(bounds("Column", "max"), nlohmann::json::parse("[2.0,6.0,-3.0]"));
    EXPECT_EQ(bounds("Marker", "min"), nlohmann::json::parse("[0.0,0.0,0.0]"));
    EXPECT_EQ(bounds("Marker", "max"), nlohmann::json::parse("[0.5,2.0,0.0]"));

    // Base stands at (1.5, 3.5, 0) turned a quarter about z: at (1.5, 0, -3.5)
    // turned a quarter about y. Upper stands 3 above it, along y.
    const nlohmann::json& base = json["nodes"][size_t(gltf.NodeNamed("Base"))];
    EXPECT_EQ(base["translation"], nlohmann::json::parse("[1.5,0.0,-3.5]"));
    EXPECT_EQ(base["rotation"], nlohmann::json::parse("[0.0,0.70710677,0.0,0.70710677]"));
    GltfTestFile::Matrix upper = gltf.WorldOf(gltf.NodeNamed("Upper"));
    const double kUpper[3] = {1.5, 3.0, -3.5};
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(upper[i][3], kUpper[i], 1e-6) << i;
    // Upper's own axes, turned: its x (0.8, 0, -0.6) in the file is (0.8, -0.6, 0).
    const double kUpperX[3] = {0.8, -0.6, 0.0};
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(upper[i][0], kUpperX[i], 1e-6) << i;
}

TEST(QroGltf, MaterialsSharedByNameAndMeshesWithoutTriangles) {
    GltfTestFile gltf;
    std::string err;
    ASSERT_NO_FATAL_FAILURE(Convert("tests/data/qro/gltf/materials.qro", gltf, &err));
    const nlohmann::json& json = gltf.Json();
    ASSERT_EQ(json["materials"].size(), 2u);
    EXPECT_EQ(json["materials"][0]["name"], "Shared");
    EXPECT_EQ(json["materials"][1]["name"], "OnlyFirst");
    auto primitivesOf = [&](const char* name) {
        const nlohmann::json& node = json["nodes"][size_t(gltf.NodeNamed(name))];
        std::vector<std::pair<int, size_t>> primitives; // material (-1 none), triangles
        for (const auto& primitive : json["meshes"][node["mesh"].get<size_t>()]["primitives"])
            primitives.emplace_back(primitive.value("material", -1),
                                    json["accessors"][primitive["indices"].get<size_t>()]["count"].get<size_t>() / 3);
        return primitives;
    };
    EXPECT_EQ(primitivesOf("First"), (std::vector<std::pair<int, size_t>>{{0, 3}, {1, 1}}));
    // Second: the placeholder -1 and an index past its one name go without.
    EXPECT_EQ(primitivesOf("Second"), (std::vector<std::pair<int, size_t>>{{0, 1}, {-1, 2}}));
    for (const char* name : {"Empty", "Lines"}) {
        int node = gltf.NodeNamed(name);
        ASSERT_NE(node, -1) << name;
        EXPECT_FALSE(json["nodes"][size_t(node)].contains("mesh")) << name;
    }
    for (const char* note : {"mesh 1 \"Second\": 2 polygons name no material; drawn with the default material",
                             "mesh 2 \"Empty\": no polygon to show; its node holds no mesh",
                             "mesh 3 \"Lines\": 2 polygons have fewer than three corners and cannot be shown"})
        EXPECT_NE(err.find(note), std::string::npos) << note << "\n" << err;
}

TEST(QroGltf, LargeMeshesGetThirtyTwoBitIndices) {
    // A strip of 32 768 quads in one material: 65 538 vertices, past 16 bits.
    std::string path = (Scratch() / "strip.qro").string();
    const int columns = 32769;
    {
        std::ofstream file(path, std::ios::binary);
        file << "numBones 0\nnumMeshes 1\nmesh 0 {\nname \"Strip\"\nvertices {\n";
        for (int v = 0; v < 2 * columns; ++v)
            file << v % columns << " " << v / columns << " 0\n";
        file << "}\npolygonVertexCounts {\n";
        for (int q = 0; q + 1 < columns; ++q)
            file << "4\n";
        file << "}\npolygonVertexIndices {\n";
        for (int c = 0; c + 1 < columns; ++c)
            file << c << " " << c + 1 << " " << c + 1 + columns << " " << c + columns << "\n";
        file << "}\n}\n";
    }
    GltfTestFile gltf;
    ASSERT_NO_FATAL_FAILURE(Convert(path, gltf));
    const nlohmann::json& json = gltf.Json();
    const nlohmann::json& primitive = json["meshes"][0]["primitives"][0];
    EXPECT_EQ(json["accessors"][primitive["attributes"]["POSITION"].get<size_t>()]["count"], 2 * columns);
    const nlohmann::json& indices = json["accessors"][primitive["indices"].get<size_t>()];
    EXPECT_EQ(indices["componentType"], 5125);
    std::vector<double> values = gltf.Read(primitive["indices"]);
    EXPECT_EQ(*std::max_element(values.begin(), values.end()), 2.0 * columns - 1);
}

// Files whose lists do not fit together are refused with the place named,
// and nothing is written.
struct Refusal {
    const char* label;
    const char* mesh; // the content of mesh 0's block
    const char* message;
};

class QroGltfRefuses : public testing::TestWithParam<Refusal> {};

TEST_P(QroGltfRefuses, ClearMessageAndNoFile) {
    fs::path in = Scratch() / (std::string(GetParam().label) + ".qro");
    {
        std::ofstream(in, std::ios::binary) << "version 1\nnumBones 1\nbone 0 { name \"B\" }\nnumMeshes 1\nmesh 0 {\n"
                                            << GetParam().mesh << "\n}\n";
    }
    for (const char* extension : {".glb", ".gltf"}) {
        fs::path out = Scratch() / (std::string(GetParam().label) + extension);
        ChildProcess::Outcome outcome = Qro({"gltf", in.string(), out.string()});
        EXPECT_EQ(outcome.exit, 1);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err,
                  "qro: can't convert \"" + in.string() + "\": mesh 0 \"M\": " + GetParam().message + ".\n");
        EXPECT_FALSE(fs::exists(out));
        EXPECT_FALSE(fs::exists(Scratch() / (std::string(GetParam().label) + ".bin")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QroGltfRefuses,
    testing::Values(
        Refusal{"ShortCornerList",
                "name M vertices { 0 0 0 1 0 0 0 1 0 } polygonVertexCounts { 3 } "
                "polygonVertexIndices { 0 1 }",
                "polygonVertexIndices holds 2 indices for 3 polygon corners"},
        Refusal{"VertexIndexPastTheEnd",
                "name M vertices { 0 0 0 1 0 0 0 1 0 } polygonVertexCounts { 3 } "
                "polygonVertexIndices { 0 1 3 }",
                "polygonVertexIndices entry 2 is 3, but there are 3 vertices"},
        Refusal{"NormalIndexPastTheEnd",
                "name M vertices { 0 0 0 1 0 0 0 1 0 } normals { 0 0 1 } "
                "polygonVertexCounts { 3 } polygonVertexIndices { 0 1 2 } "
                "polygonNormalIndices { 0 0 1 }",
                "polygonNormalIndices entry 2 is 1, but there are 1 normals"},
        Refusal{"SetsDoNotPair",
                "name M vertices { 0 0 0 1 0 0 0 1 0 } textureCoordinates { set 0 { 0 0 } } "
                "polygonVertexCounts { 3 } polygonVertexIndices { 0 1 2 }",
                "textureCoordinates holds 1 sets, but polygonTexCoordIndices 0"},
        Refusal{"CoordinateIndexPastTheEnd",
                "name M vertices { 0 0 0 1 0 0 0 1 0 } textureCoordinates { set 0 { 0 0 } "
                "} polygonVertexCounts { 3 } polygonVertexIndices { 0 1 2 } "
                "polygonTexCoordIndices { set 0 { 0 0 4 } }",
                "polygonTexCoordIndices set 0 entry 2 is 4, but there are 1 coordinates in set 0"},
        Refusal{"WeightOfAMissingBone", "name M vertices { 0 0 0 } vertexWeightCounts { 1 } weights { 1 1.0 }",
                "weight 0 names bone 1, but the file has 1 bones"},
        Refusal{"WeightsMiscounted", "name M vertices { 0 0 0 } vertexWeightCounts { 2 } weights { 0 1.0 }",
                "vertexWeightCounts counts 2 weights, but weights holds 1"},
        Refusal{"WeightCountsPerVertex", "name M vertices { 0 0 0 1 0 0 } vertexWeightCounts { 1 } weights { 0 1.0 }",
                "vertexWeightCounts holds 1 entries for 2 vertices"},
        Refusal{"NotANumber", "name M vertices { 0 nan 0 }", "vertex 0 holds a value that is not a finite number"},
        Refusal{"MaterialIndicesMiscounted",
                "name M vertices { 0 0 0 1 0 0 0 1 0 } materialNames { \"A\" } "
                "polygonVertexCounts { 3 } polygonVertexIndices { 0 1 2 } "
                "polygonMaterialIndices { 0 0 }",
                "polygonMaterialIndices holds 2 entries for 1 polygons"}),
    [](const testing::TestParamInfo<Refusal>& info) { return std::string(info.param.label); });

TEST(QroGltf, InfiniteMatrixRefused) {
    fs::path in = Scratch() / "infinite.qro";
    std::ofstream(in, std::ios::binary)
        << "numBones 1\nbone 0 { name \"B\" invBaseMatrix 1 0 0 0 0 1 0 0 0 0 inf 0 0 0 "
           "0 1 }\n";
    fs::path out = Scratch() / "infinite.glb";
    ChildProcess::Outcome outcome = Qro({"gltf", in.string(), out.string()});
    EXPECT_EQ(outcome.exit, 1);
    EXPECT_EQ(outcome.err, "qro: can't convert \"" + in.string() +
                               "\": bone 0 \"B\": its invBaseMatrix holds a value that is not a finite number.\n");
    EXPECT_FALSE(fs::exists(out));
}

struct CallCase {
    const char* label;
    std::vector<std::string> arguments;
    int exit;
    std::string err;
};

class QroGltfCalls : public testing::TestWithParam<CallCase> {};

TEST_P(QroGltfCalls, ExitStatusAndMessage) {
    ChildProcess::Outcome outcome = Qro(GetParam().arguments);
    EXPECT_EQ(outcome.exit, GetParam().exit);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.substr(0, GetParam().err.size()), GetParam().err) << outcome.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QroGltfCalls,
    testing::Values(
        CallCase{"OtherExtension",
                 {"gltf", "samples/banner.qro", "banner.obj"},
                 2,
                 "qro: the glTF file's name must end in .gltf or .glb: \"banner.obj\"\n"},
        CallCase{"OneArgument", {"gltf", "samples/banner.qro"}, 2, "usage: qro check PATH"},
        CallCase{"RejectedFile",
                 {"gltf", "tests/data/qro/version2.qro", "never.glb"},
                 1,
                 "WARNING: Can't handle file \"tests/data/qro/version2.qro\". Some data is missing or corrupt.\n"},
        CallCase{"MissingFile",
                 {"gltf", "tests/data/qro/missing.qro", "never.glb"},
                 1,
                 "Can't open file \"tests/data/qro/missing.qro\" for reading.\n"},
        CallCase{"UnwritableFolder",
                 {"gltf", "samples/banner.qro", "no/such/folder/banner.glb"},
                 1,
                 "qro: Can't open file \"no/such/folder/banner.glb\" for writing.\n"}),
    [](const testing::TestParamInfo<CallCase>& info) { return std::string(info.param.label); });

TEST(QroGltf, ReadsAMemberOfAZipArchive) {
    GltfTestFile fromArchive, fromFile;
    ASSERT_NO_FATAL_FAILURE(Convert("tests/data/qro/banner.zip/models/banner.qro", fromArchive));
    ASSERT_NO_FATAL_FAILURE(Convert("samples/banner.qro", fromFile));
    EXPECT_EQ(fromArchive.Json(), fromFile.Json());
    EXPECT_TRUE(fromArchive.Binary() == fromFile.Binary());
}

TEST(QroGltf, BinBesideAGltfIsNamedByAnEscapedRelativeUri) {
    fs::path out = Scratch() / "my banner #1.gltf";
    ChildProcess::Outcome outcome = Qro({"gltf", "samples/banner.qro", out.string()});
    ASSERT_EQ(outcome.exit, 0) << outcome.err;
    EXPECT_TRUE(fs::exists(Scratch() / "my banner #1.bin"));
    GltfTestFile gltf;
    std::string error;
    ASSERT_TRUE(gltf.Load(out.string(), error)) << error;
    EXPECT_EQ(gltf.Json()["buffers"][0]["uri"], "my%20banner%20%231.bin");
    EXPECT_EQ(gltf.Json()["buffers"][0]["byteLength"], gltf.Binary().size());
}

TEST(QroGltf, FileWithoutMeshesOrBonesGivesAnEmptySceneWithoutBuffers) {
    fs::path in = Scratch() / "empty.qro";
    std::ofstream(in, std::ios::binary) << "version 1\r\n\r\nnumBones 0\r\nnumMeshes 0";
    GltfTestFile gltf;
    ASSERT_NO_FATAL_FAILURE(Convert(in.string(), gltf));
    EXPECT_FALSE(gltf.Json().contains("buffers"));
    EXPECT_EQ(gltf.Json()["nodes"].size(), 1u);
    EXPECT_TRUE(gltf.Binary().empty());
}

} // namespace

// qro gltf run as a user runs it: the scene it writes, read back by an
// independent reader (GltfTestFile) and, natively, by Khronos' validator and
// by the assimp command.

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GltfTestFile.h"
#include "GridMesh.h"
#include "QroGltfTestSupport.h"
#include "QuarroTextReader.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"

namespace {

namespace fs = std::filesystem;

using qro_gltf_test::Qro;
using qro_gltf_test::Scratch;

// The records as the project's reader gives them.
void ReadRecords(const std::string& path, orlo::UArray<BoneData>& bones, orlo::UArray<MeshData>& meshes) {
    orlo::TStreamHandle<orlo::IInputStream> stream =
        orlo::GetCoreServices()->GetFileSystem()->CreateFileReader(path.c_str());
    ASSERT_FALSE(stream.IsEmpty()) << path;
    ASSERT_TRUE(QuarroTextReader::Read(stream.Get(), bones, meshes, nullptr)) << path;
}

// The generated mesh is made once, the first time a test asks for it: 100 489
// vertices in optimised builds, 10 201 in the sanitizer build, where the
// tokenizer alone would take minutes over the larger one.
#ifndef QRO_GLTF_GRID_SIDE
#define QRO_GLTF_GRID_SIDE 317
#endif
const int kGridSide = QRO_GLTF_GRID_SIDE;

std::string GridPath() {
    static std::string path;
    if (path.empty()) {
        path = (Scratch() / "grid.qro").string();
        orlo_test::WriteGridMesh(path, kGridSide);
    }
    return path;
}

struct SceneCase {
    const char* label;
    std::string qro;
    size_t meshes; // glTF meshes
    size_t triangles;
    size_t joints;                // of the skin, 0 without one
    std::vector<size_t> vertices; // per primitive, meshes in order
};

std::vector<SceneCase> Scenes() {
    return {
        {"Banner", "samples/banner.qro", 1, 3, 2, {4, 3}},
        {"PlainMesh", "tests/data/qro/gltf/plain_mesh.qro", 1, 5, 0, {9}},
        {"SetsOfDifferentSizes", "tests/data/qro/gltf/sets_of_different_sizes.qro", 1, 12, 1, {24}},
        {"Weights", "tests/data/qro/gltf/weights.qro", 1, 2, 7, {4}},
        {"Bones", "tests/data/qro/gltf/bones.qro", 1, 4, 12, {10}},
        {"Materials", "tests/data/qro/gltf/materials.qro", 2, 7, 0, {5, 3, 3, 6}},
        {"TallAlongZ", "tests/data/qro/gltf/tall_along_z.qro", 2, 21, 2, {32, 3}},
        {"GeneratedGrid", "", 1, size_t(2 * (kGridSide - 1) * (kGridSide - 1)), 4, {}},
    };
}

class QroGltfScene : public testing::TestWithParam<SceneCase> {
protected:
    std::string Input() const { return GetParam().qro.empty() ? GridPath() : GetParam().qro; }

    // Converts the case's file to a .glb or .gltf (`extension`) and loads the
    // result; `notes`, if given, gets qro's standard error. Each file is
    // converted once for all the tests that look at it.
    void Convert(const std::string& extension, GltfTestFile& gltf, std::string& out, std::string* notes = nullptr) {
        static std::map<std::string, std::string> converted; // output path -> standard error
        out = (Scratch() / (std::string(GetParam().label) + extension)).string();
        if (converted.count(out) == 0) {
            ChildProcess::Outcome outcome = Qro({"gltf", Input(), out});
            ASSERT_EQ(outcome.exit, 0) << outcome.err;
            EXPECT_EQ(outcome.out, "");
            converted[out] = outcome.err;
        }
        if (notes != nullptr)
            *notes = converted[out];
        std::string error;
        ASSERT_TRUE(gltf.Load(out, error)) << error;
    }
};

TEST_P(QroGltfScene, CountsOfMeshesTrianglesJointsAndVertices) {
    GltfTestFile gltf;
    std::string out;
    ASSERT_NO_FATAL_FAILURE(Convert(".glb", gltf, out));
    const nlohmann::json& json = gltf.Json();
    EXPECT_EQ(json["asset"]["version"], "2.0");
    EXPECT_EQ(json.value("meshes", nlohmann::json::array()).size(), GetParam().meshes);
    size_t triangles = 0;
    std::vector<size_t> vertices;
    for (const auto& mesh : json.value("meshes", nlohmann::json::array()))
        for (const auto& primitive : mesh["primitives"]) {
            triangles += json["accessors"][primitive["indices"].get<size_t>()]["count"].get<size_t>() / 3;
            vertices.push_back(json["accessors"][primitive["attributes"]["POSITION"].get<size_t>()]["count"]);
        }
    EXPECT_EQ(triangles, GetParam().triangles);
    if (!GetParam().vertices.empty()) {
        EXPECT_EQ(vertices, GetParam().vertices);
    }
    size_t joints = json.contains("skins") ? json["skins"][0]["joints"].size() : 0;
    EXPECT_EQ(joints, GetParam().joints);
}

TEST_P(QroGltfScene, GltfWithBinBesideItHoldsWhatTheGlbHolds) {
    GltfTestFile glb, gltf;
    std::string glbPath, gltfPath;
    ASSERT_NO_FATAL_FAILURE(Convert(".glb", glb, glbPath));
    ASSERT_NO_FATAL_FAILURE(Convert(".gltf", gltf, gltfPath));
    EXPECT_TRUE(glb.Binary() == gltf.Binary());
    nlohmann::json a = glb.Json(), b = gltf.Json();
    if (a.contains("buffers")) {
        EXPECT_FALSE(a["buffers"][0].contains("uri"));
        EXPECT_EQ(b["buffers"][0]["uri"], std::string(GetParam().label) + ".bin");
        b["buffers"][0].erase("uri");
    }
    EXPECT_EQ(a, b);
}

// The file is Z-up, glTF Y-up: (x, y, z) becomes (x, z, -y).
std::array<double, 3> ToYUp(double x, double y, double z) {
    return {x, z, -y};
}

// C M C^-1 of a transform M, with C the turn above.
GltfTestFile::Matrix ToYUp(const GltfTestFile::Matrix& m) {
    const GltfTestFile::Matrix c = {{{1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}, {0, 0, 0, 1}}};
    GltfTestFile::Matrix inverse{};
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 4; ++k)
            inverse[r][k] = c[k][r]; // a rotation: its transpose
    return GltfTestFile::Multiply(GltfTestFile::Multiply(c, m), inverse);
}

// Every triangle, corner by corner (position, normal, coordinates), in the
// order of the file's polygons as fans; from the file (turned to Y-up) and
// from the glTF.
using Corner = std::vector<double>;
using Triangle = std::array<Corner, 3>;

std::vector<Triangle> FileTriangles(const MeshData& mesh) {
    std::vector<Triangle> triangles;
    bool normals = mesh.polygonNormalIndices.Num() != 0;
    auto corner = [&](int32_t c) {
        const auto& p = mesh.vertices[int32_t(mesh.polygonVertexIndices[c])];
        std::array<double, 3> position = ToYUp(p.x, p.y, p.z);
        Corner values(position.begin(), position.end());
        if (normals) {
            const auto& n = mesh.normals[int32_t(mesh.polygonNormalIndices[c])];
            double length = std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
            std::array<double, 3> normal = ToYUp(n.x / length, n.y / length, n.z / length);
            values.insert(values.end(), normal.begin(), normal.end());
        }
        for (int32_t s = 0; s < mesh.textureCoordinates.Num(); ++s) {
            const auto& t = mesh.textureCoordinates[s][int32_t(mesh.polygonTexCoordIndices[s][c])];
            values.insert(values.end(), {t.x, 1.0 - t.y}); // glTF's v runs down
        }
        return values;
    };
    int32_t first = 0;
    for (unsigned int count : mesh.polygonVertexCounts) {
        for (int32_t i = 1; i + 1 < int32_t(count); ++i)
            triangles.push_back({corner(first), corner(first + i), corner(first + i + 1)});
        first += int32_t(count);
    }
    return triangles;
}

std::vector<Triangle> GltfTriangles(const GltfTestFile& gltf, const nlohmann::json& mesh) {
    std::vector<Triangle> triangles;
    for (const auto& primitive : mesh["primitives"]) {
        const auto& attributes = primitive["attributes"];
        std::vector<std::vector<double>> streams;
        std::vector<int> widths;
        std::vector<std::string> names = {"POSITION", "NORMAL"};
        for (int s = 0; attributes.contains("TEXCOORD_" + std::to_string(s)); ++s)
            names.push_back("TEXCOORD_" + std::to_string(s));
        for (const std::string& name : names)
            if (attributes.contains(name)) {
                streams.push_back(gltf.Read(attributes[name]));
                widths.push_back(gltf.ComponentsOf(attributes[name]));
            }
        std::vector<double> indices = gltf.Read(primitive["indices"]);
        auto corner = [&](size_t vertex) {
            Corner values;
            for (size_t a = 0; a < streams.size(); ++a)
                for (int k = 0; k < widths[a]; ++k)
                    values.push_back(streams[a][vertex * size_t(widths[a]) + size_t(k)]);
            return values;
        };
        for (size_t i = 0; i + 2 < indices.size(); i += 3)
            triangles.push_back(
                {corner(size_t(indices[i])), corner(size_t(indices[i + 1])), corner(size_t(indices[i + 2]))});
    }
    return triangles;
}

TEST_P(QroGltfScene, EveryCornerMapsBackOntoTheFile) {
    GltfTestFile gltf;
    std::string out;
    ASSERT_NO_FATAL_FAILURE(Convert(".glb", gltf, out));
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    ASSERT_NO_FATAL_FAILURE(ReadRecords(Input(), bones, meshes));

    // Mesh nodes name their meshes; a mesh without triangles has none.
    const nlohmann::json& json = gltf.Json();
    size_t checked = 0;
    for (const MeshData& mesh : meshes) {
        std::vector<Triangle> expected = FileTriangles(mesh);
        int node = gltf.NodeNamed(mesh.name.c_str());
        ASSERT_NE(node, -1) << mesh.name.c_str();
        if (!json["nodes"][size_t(node)].contains("mesh")) {
            EXPECT_TRUE(expected.empty()) << mesh.name.c_str();
            continue;
        }
        std::vector<Triangle> actual =
            GltfTriangles(gltf, json["meshes"][json["nodes"][size_t(node)]["mesh"].get<size_t>()]);
        // Primitives group triangles by material: compare as sorted lists.
        std::sort(expected.begin(), expected.end());
        std::sort(actual.begin(), actual.end());
        ASSERT_EQ(actual.size(), expected.size()) << mesh.name.c_str();
        for (size_t t = 0; t < actual.size(); ++t)
            for (size_t c = 0; c < 3; ++c) {
                ASSERT_EQ(actual[t][c].size(), expected[t][c].size());
                for (size_t k = 0; k < actual[t][c].size(); ++k)
                    ASSERT_NEAR(actual[t][c][k], expected[t][c][k], 1e-6)
                        << mesh.name.c_str() << " triangle " << t << " corner " << c << " value " << k;
            }
        checked += actual.size();
    }
    EXPECT_EQ(checked, GetParam().triangles);
}

double Determinant3(const std::vector<double>& m, size_t at) {
    // Column-major: element (row r, column c) at at + c * 4 + r.
    auto e = [&](int r, int c) { return m[at + size_t(c * 4 + r)]; };
    return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) - e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
           e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
}

// What a glTF loader skins with, read from the written file alone: each
// joint's world transform (its parents applied) times its inverse bind matrix.
struct Skin {
    std::vector<GltfTestFile::Matrix> matrices;
    std::vector<bool> invertible; // the joint's inverse bind matrix

    explicit Skin(const GltfTestFile& gltf) {
        const nlohmann::json& json = gltf.Json();
        if (!json.contains("skins"))
            return;
        const auto& skin = json["skins"][0];
        std::vector<double> ibms = gltf.Read(skin["inverseBindMatrices"]);
        for (size_t j = 0; j < skin["joints"].size(); ++j) {
            GltfTestFile::Matrix ibm{};
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c)
                    ibm[r][c] = ibms[j * 16 + size_t(c * 4 + r)];
            matrices.push_back(GltfTestFile::Multiply(gltf.WorldOf(skin["joints"][j]), ibm));
            invertible.push_back(std::fabs(Determinant3(ibms, j * 16)) > 1e-9);
        }
    }

    // Linear blend skinning of vertex v; false where a joint whose inverse
    // bind matrix cannot be inverted moves it: such a vertex has no place to keep.
    bool Place(const std::vector<double>& positions, const std::vector<double>& joints,
               const std::vector<double>& weights, size_t v, std::array<double, 3>& placed) const {
        std::array<double, 3> p = {positions[v * 3], positions[v * 3 + 1], positions[v * 3 + 2]};
        placed = {0, 0, 0};
        bool keep = true;
        for (size_t k = 0; k < 4; ++k) {
            double w = weights[v * 4 + k];
            if (w == 0)
                continue;
            size_t joint = size_t(joints[v * 4 + k]);
            keep = keep && invertible[joint];
            std::array<double, 3> q = GltfTestFile::Apply(matrices[joint], p);
            for (size_t i = 0; i < 3; ++i)
                placed[i] += w * q[i];
        }
        return keep;
    }
};

// Triangles ordered by the positions of their corners only, so that values
// that differ in their last bits cannot change the pairing.
bool ByPositions(const Triangle& a, const Triangle& b) {
    for (size_t c = 0; c < 3; ++c)
        for (size_t k = 0; k < 3; ++k)
            if (a[c][k] != b[c][k])
                return a[c][k] < b[c][k];
    return false;
}

// In its bind pose the file puts every vertex at its position. Skinned by
// glTF's rules from the written file alone, each vertex of a skinned mesh
// lands there, turned to Y-up; a plain mesh's vertex gets there through its
// node. Each glTF corner is paired with the file's by its triangle's
// positions; vertices bound to a joint whose matrix cannot be inverted are
// left out.
TEST_P(QroGltfScene, VerticesStayWhereTheFilePutsThemTurnedToYUp) {
    GltfTestFile gltf;
    std::string out;
    ASSERT_NO_FATAL_FAILURE(Convert(".glb", gltf, out));
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    ASSERT_NO_FATAL_FAILURE(ReadRecords(Input(), bones, meshes));
    const nlohmann::json& json = gltf.Json();
    const Skin skin(gltf);

    size_t checked = 0;
    for (const MeshData& mesh : meshes) {
        int node = gltf.NodeNamed(mesh.name.c_str());
        ASSERT_NE(node, -1) << mesh.name.c_str();
        const nlohmann::json& nodeJson = json["nodes"][size_t(node)];
        if (!nodeJson.contains("mesh"))
            continue;
        bool skinned = nodeJson.contains("skin");
        GltfTestFile::Matrix world = gltf.WorldOf(node);

        // Corners: position, then where the vertex is placed, then 1 where
        // it has a place to keep.
        std::vector<Triangle> expected;
        for (const Triangle& triangle : FileTriangles(mesh)) {
            Triangle positions;
            for (size_t c = 0; c < 3; ++c) {
                positions[c].assign(triangle[c].begin(), triangle[c].begin() + 3);
                positions[c].insert(positions[c].end(), triangle[c].begin(), triangle[c].begin() + 3);
                positions[c].push_back(1);
            }
            expected.push_back(positions);
        }
        std::vector<Triangle> actual;
        for (const auto& primitive : json["meshes"][nodeJson["mesh"].get<size_t>()]["primitives"]) {
            std::vector<double> positions = gltf.Read(primitive["attributes"]["POSITION"]);
            std::vector<double> joints, weights;
            if (skinned) {
                joints = gltf.Read(primitive["attributes"]["JOINTS_0"]);
                weights = gltf.Read(primitive["attributes"]["WEIGHTS_0"]);
            }
            auto corner = [&](size_t v) {
                std::array<double, 3> p = {positions[v * 3], positions[v * 3 + 1], positions[v * 3 + 2]};
                std::array<double, 3> placed = GltfTestFile::Apply(world, p);
                bool keep = !skinned || skin.Place(positions, joints, weights, v, placed);
                return Corner{p[0], p[1], p[2], placed[0], placed[1], placed[2], keep ? 1.0 : 0.0};
            };
            std::vector<double> indices = gltf.Read(primitive["indices"]);
            for (size_t i = 0; i + 2 < indices.size(); i += 3)
                actual.push_back(
                    {corner(size_t(indices[i])), corner(size_t(indices[i + 1])), corner(size_t(indices[i + 2]))});
        }
        std::sort(expected.begin(), expected.end(), ByPositions);
        std::sort(actual.begin(), actual.end(), ByPositions);
        ASSERT_EQ(actual.size(), expected.size()) << mesh.name.c_str();
        for (size_t t = 0; t < actual.size(); ++t)
            for (size_t c = 0; c < 3; ++c) {
                const Corner& a = actual[t][c];
                const Corner& e = expected[t][c];
                if (a[6] == 0)
                    continue;
                double tolerance = 1e-4 * std::max({1.0, std::fabs(e[0]), std::fabs(e[1]), std::fabs(e[2])});
                for (size_t k = 0; k < 3; ++k)
                    EXPECT_NEAR(a[3 + k], e[3 + k], tolerance)
                        << mesh.name.c_str() << " triangle " << t << " corner " << c << " axis " << k;
                ++checked;
            }
    }
    EXPECT_GT(checked, 0u);
}

// Each joint's world transform is the file's bind pose (the inverse of the
// bone's invBaseMatrix, B) turned to Y-up, C B C^-1: checked as its product
// with the file's matrix turned, which is the identity. Bones whose pose a
// node cannot hold are left out; qro's notes name them.
TEST_P(QroGltfScene, JointsStandWhereTheFilesBindPosePutsThemTurnedToYUp) {
    GltfTestFile gltf;
    std::string out, notes;
    ASSERT_NO_FATAL_FAILURE(Convert(".glb", gltf, out, &notes));
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    ASSERT_NO_FATAL_FAILURE(ReadRecords(Input(), bones, meshes));
    const nlohmann::json& json = gltf.Json();
    if (bones.Num() == 0) {
        EXPECT_FALSE(json.contains("skins"));
        return;
    }
    const auto& joints = json["skins"][0]["joints"];
    ASSERT_GE(joints.size(), size_t(bones.Num()));
    int checked = 0;
    for (int b = 0; b < bones.Num(); ++b) {
        std::string bone = "bone " + std::to_string(b) + " \"" + bones[b].name.c_str() + "\": ";
        if (notes.find(bone + "its invBaseMatrix cannot be inverted") != std::string::npos ||
            notes.find(bone + "its bind pose is sheared") != std::string::npos)
            continue;
        // The file's row-vector matrix as a column-vector one: its transpose.
        GltfTestFile::Matrix inverseBind{};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c)
                inverseBind[c][r] = bones[b].invBaseMatrix.m[r][c];
        inverseBind[3][3] = 1;
        GltfTestFile::Matrix product = GltfTestFile::Multiply(gltf.WorldOf(joints[size_t(b)]), ToYUp(inverseBind));
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(product[r][c], r == c ? 1.0 : 0.0, 1e-4) << bone << "row " << r << " column " << c;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

// POSITION's min and max are those of its own values (glTF requires it, and
// tools read a mesh's size from them); over a mesh's primitives they are the
// bounds of the file's vertices turned to Y-up: what is tall along z in the
// file is tall along y.
TEST_P(QroGltfScene, PositionBoundsAreTheFilesTurnedToYUp) {
    GltfTestFile gltf;
    std::string out;
    ASSERT_NO_FATAL_FAILURE(Convert(".glb", gltf, out));
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    ASSERT_NO_FATAL_FAILURE(ReadRecords(Input(), bones, meshes));
    const nlohmann::json& json = gltf.Json();
    const double kHuge = 1e30;
    for (const MeshData& mesh : meshes) {
        const nlohmann::json& node = json["nodes"][size_t(gltf.NodeNamed(mesh.name.c_str()))];
        if (!node.contains("mesh"))
            continue;
        std::array<double, 3> low = {kHuge, kHuge, kHuge}, high = {-kHuge, -kHuge, -kHuge};
        for (const Triangle& triangle : FileTriangles(mesh))
            for (const Corner& corner : triangle)
                for (size_t k = 0; k < 3; ++k) {
                    low[k] = std::min(low[k], corner[k]);
                    high[k] = std::max(high[k], corner[k]);
                }
        std::array<double, 3> meshLow = {kHuge, kHuge, kHuge}, meshHigh = {-kHuge, -kHuge, -kHuge};
        for (const auto& primitive : json["meshes"][node["mesh"].get<size_t>()]["primitives"]) {
            const nlohmann::json& accessor = json["accessors"][primitive["attributes"]["POSITION"].get<size_t>()];
            std::vector<double> positions = gltf.Read(primitive["attributes"]["POSITION"]);
            std::array<double, 3> ownLow = {kHuge, kHuge, kHuge}, ownHigh = {-kHuge, -kHuge, -kHuge};
            for (size_t i = 0; i < positions.size(); ++i) {
                ownLow[i % 3] = std::min(ownLow[i % 3], positions[i]);
                ownHigh[i % 3] = std::max(ownHigh[i % 3], positions[i]);
            }
            for (size_t k = 0; k < 3; ++k) {
                // The JSON holds the shortest text of each 32-bit float.
                EXPECT_EQ(accessor["min"][k].get<float>(), float(ownLow[k])) << mesh.name.c_str() << " axis " << k;
                EXPECT_EQ(accessor["max"][k].get<float>(), float(ownHigh[k])) << mesh.name.c_str() << " axis " << k;
                meshLow[k] = std::min(meshLow[k], double(accessor["min"][k].get<float>()));
                meshHigh[k] = std::max(meshHigh[k], double(accessor["max"][k].get<float>()));
            }
        }
        EXPECT_EQ(meshLow, low) << mesh.name.c_str();
        EXPECT_EQ(meshHigh, high) << mesh.name.c_str();
    }
}

// The data is Y-up itself, so no node turns the scene: nodes that are not
// joints (the top node, the mesh nodes) carry no transform at all, and no
// node turns a quarter about x, as a Z-up scene hung below a turning node
// would (no bone of these files turns so).
TEST_P(QroGltfScene, NoNodeTurnsTheScene) {
    GltfTestFile gltf;
    std::string out;
    ASSERT_NO_FATAL_FAILURE(Convert(".glb", gltf, out));
    const nlohmann::json& json = gltf.Json();
    std::vector<int> joints;
    if (json.contains("skins"))
        joints = json["skins"][0]["joints"].get<std::vector<int>>();
    for (size_t n = 0; n < json["nodes"].size(); ++n) {
        const nlohmann::json& node = json["nodes"][n];
        if (std::find(joints.begin(), joints.end(), int(n)) == joints.end()) {
            for (const char* key : {"translation", "rotation", "scale", "matrix"})
                EXPECT_FALSE(node.contains(key)) << "node " << n << " " << node.dump();
        }
        if (node.contains("rotation")) {
            std::vector<double> q = node["rotation"];
            bool quarterAboutX = std::fabs(std::fabs(q[0]) - std::sqrt(0.5)) < 1e-4 &&
                                 std::fabs(std::fabs(q[3]) - std::sqrt(0.5)) < 1e-4 && std::fabs(q[1]) < 1e-4 &&
                                 std::fabs(q[2]) < 1e-4;
            EXPECT_FALSE(quarterAboutX) << "node " << n << " " << node.dump();
        }
    }
}

// Weights: at most four per vertex, positive where used, joint 0 where not,
// and a 32-bit sum of exactly 1, as glTF loaders add them.
TEST_P(QroGltfScene, WeightsSumToOneInThirtyTwoBits) {
    GltfTestFile gltf;
    std::string out;
    ASSERT_NO_FATAL_FAILURE(Convert(".glb", gltf, out));
    const nlohmann::json& json = gltf.Json();
    for (const auto& mesh : json.value("meshes", nlohmann::json::array()))
        for (const auto& primitive : mesh["primitives"]) {
            if (!primitive["attributes"].contains("WEIGHTS_0"))
                continue;
            std::vector<double> joints = gltf.Read(primitive["attributes"]["JOINTS_0"]);
            std::vector<double> weights = gltf.Read(primitive["attributes"]["WEIGHTS_0"]);
            for (size_t v = 0; v * 4 < weights.size(); ++v) {
                volatile float sum = 0;
                for (size_t k = 0; k < 4; ++k) {
                    double w = weights[v * 4 + k];
                    EXPECT_GE(w, 0.0);
                    if (w == 0)
                        EXPECT_EQ(joints[v * 4 + k], 0.0) << "vertex " << v;
                    else
                        sum = sum + float(w);
                }
                EXPECT_EQ(float(sum), 1.0f) << "vertex " << v;
            }
        }
}

#ifndef _WIN32
// The oracles run natively; the Windows build runs the conversion itself.

const char* const kValidatorPackage = ".cache/npm/node_modules/gltf-validator/package.json";

TEST_P(QroGltfScene, KhronosValidatorReportsNoErrors) {
    if (!ChildProcess::IsOnPath("node") || !fs::exists(kValidatorPackage))
        GTEST_SKIP() << "Khronos' glTF validator is not installed (scripts/setup installs node and "
                        "gltf-validator into .cache/npm)";
    for (const char* extension : {".glb", ".gltf"}) {
        GltfTestFile gltf;
        std::string out;
        ASSERT_NO_FATAL_FAILURE(Convert(extension, gltf, out));
        ChildProcess::Outcome outcome = ChildProcess::Run({"node", "scripts/gltf-validate", out});
        EXPECT_EQ(outcome.exit, 0) << outcome.out << outcome.err;
        EXPECT_NE(outcome.out.find("errors 0 "), std::string::npos) << outcome.out;
    }
}

// assimp, imported raw: one mesh per primitive, each with
// [vertices / bones / faces] = [glTF vertices / skin joints / triangles].
// assimp lists them in an order of its own (plain meshes below the top node
// before skinned ones at the root), so both lists are compared sorted.
TEST_P(QroGltfScene, AssimpReadsTheSameMeshesBonesAndTriangles) {
    if (!ChildProcess::IsOnPath("assimp"))
        GTEST_SKIP() << "the assimp command is not installed (scripts/setup installs assimp-utils)";
    GltfTestFile gltf;
    std::string out;
    ASSERT_NO_FATAL_FAILURE(Convert(".glb", gltf, out));
    const nlohmann::json& json = gltf.Json();
    std::vector<std::string> expected;
    size_t primitives = 0;
    for (const auto& node : json["nodes"]) {
        if (!node.contains("mesh"))
            continue;
        const auto& mesh = json["meshes"][node["mesh"].get<size_t>()];
        size_t bones = node.contains("skin") ? json["skins"][0]["joints"].size() : 0;
        for (const auto& primitive : mesh["primitives"]) {
            size_t vertices = json["accessors"][primitive["attributes"]["POSITION"].get<size_t>()]["count"];
            size_t faces = json["accessors"][primitive["indices"].get<size_t>()]["count"].get<size_t>() / 3;
            // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on one long sum.
            std::string line = "[";
            line += std::to_string(vertices);
            line += " / ";
            line += std::to_string(bones);
            line += " / ";
            line += std::to_string(faces);
            line += " | triangle]";
            expected.push_back(line);
            ++primitives;
        }
    }
    ChildProcess::Outcome outcome = ChildProcess::Run({"assimp", "info", out, "-r"});
    ASSERT_EQ(outcome.exit, 0) << outcome.out << outcome.err;
    std::vector<std::string> actual;
    size_t at = outcome.out.find("\nMeshes:  (name)");
    ASSERT_NE(at, std::string::npos) << outcome.out;
    for (size_t line = outcome.out.find('\n', at + 1); line != std::string::npos;) {
        size_t end = outcome.out.find('\n', line + 1);
        std::string text = outcome.out.substr(line + 1, end == std::string::npos ? std::string::npos : end - line - 1);
        size_t open = text.find('[');
        if (open == std::string::npos)
            break;
        actual.push_back(text.substr(open));
        line = end;
    }
    std::sort(actual.begin(), actual.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(actual, expected);
    EXPECT_NE(outcome.out.find("Meshes:             " + std::to_string(primitives) + "\n"), std::string::npos)
        << outcome.out;
}
#endif

INSTANTIATE_TEST_SUITE_P(Cases, QroGltfScene, testing::ValuesIn(Scenes()),
                         [](const testing::TestParamInfo<SceneCase>& info) { return std::string(info.param.label); });

} // namespace

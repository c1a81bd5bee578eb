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
        {"GeneratedGrid", "", 1, size_t(2 * (kGridSide - 1) * (kGridSide - 1)), 4, {}},
    };
}

class QroGltfScene : public testing::TestWithParam<SceneCase> {
protected:
    std::string Input() const { return GetParam().qro.empty() ? GridPath() : GetParam().qro; }

    // Converts the case's file to a .glb or .gltf (`extension`) and loads the
    // result. Each file is converted once for all the tests that look at it.
    void Convert(const std::string& extension, GltfTestFile& gltf, std::string& out) {
        static std::map<std::string, bool> converted;
        out = (Scratch() / (std::string(GetParam().label) + extension)).string();
        if (!converted[out]) {
            ChildProcess::Outcome outcome = Qro({"gltf", Input(), out});
            ASSERT_EQ(outcome.exit, 0) << outcome.err;
            EXPECT_EQ(outcome.out, "");
            converted[out] = true;
        }
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

// Every triangle, corner by corner (position, normal, coordinates), in the
// order of the file's polygons as fans; from the file and from the glTF.
using Corner = std::vector<double>;
using Triangle = std::array<Corner, 3>;

std::vector<Triangle> FileTriangles(const MeshData& mesh) {
    std::vector<Triangle> triangles;
    bool normals = mesh.polygonNormalIndices.Num() != 0;
    auto corner = [&](int32_t c) {
        const auto& p = mesh.vertices[int32_t(mesh.polygonVertexIndices[c])];
        Corner values = {p.x, p.y, p.z};
        if (normals) {
            const auto& n = mesh.normals[int32_t(mesh.polygonNormalIndices[c])];
            double length = std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
            values.insert(values.end(), {n.x / length, n.y / length, n.z / length});
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

// In the bind pose every vertex stays where the file puts it, turned from
// Z-up to Y-up: (x, y, z) becomes (x, z, -y). Skinned vertices get there
// through their joints (pose times inverse bind matrix), plain ones through
// their node. Vertices bound to a joint whose matrix cannot be inverted have
// no place to keep and are left out.
TEST_P(QroGltfScene, VerticesStayWhereTheFilePutsThemTurnedToYUp) {
    GltfTestFile gltf;
    std::string out;
    ASSERT_NO_FATAL_FAILURE(Convert(".glb", gltf, out));
    const nlohmann::json& json = gltf.Json();
    std::vector<GltfTestFile::Matrix> skinning;
    std::vector<bool> invertible;
    if (json.contains("skins")) {
        const auto& skin = json["skins"][0];
        std::vector<double> matrices = gltf.Read(skin["inverseBindMatrices"]);
        for (size_t j = 0; j < skin["joints"].size(); ++j) {
            GltfTestFile::Matrix ibm{};
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c)
                    ibm[r][c] = matrices[j * 16 + size_t(c * 4 + r)];
            skinning.push_back(GltfTestFile::Multiply(gltf.WorldOf(skin["joints"][j]), ibm));
            invertible.push_back(std::fabs(Determinant3(matrices, j * 16)) > 1e-9);
        }
    }
    size_t checked = 0;
    for (size_t n = 0; n < json["nodes"].size(); ++n) {
        const auto& node = json["nodes"][n];
        if (!node.contains("mesh"))
            continue;
        bool skinned = node.contains("skin");
        GltfTestFile::Matrix world = gltf.WorldOf(int(n));
        for (const auto& primitive : json["meshes"][node["mesh"].get<size_t>()]["primitives"]) {
            std::vector<double> positions = gltf.Read(primitive["attributes"]["POSITION"]);
            std::vector<double> joints, weights;
            if (skinned) {
                joints = gltf.Read(primitive["attributes"]["JOINTS_0"]);
                weights = gltf.Read(primitive["attributes"]["WEIGHTS_0"]);
            }
            for (size_t v = 0; v * 3 < positions.size(); ++v) {
                std::array<double, 3> p = {positions[v * 3], positions[v * 3 + 1], positions[v * 3 + 2]};
                std::array<double, 3> placed = {0, 0, 0};
                bool keep = true;
                if (skinned) {
                    for (size_t k = 0; k < 4; ++k) {
                        double w = weights[v * 4 + k];
                        if (w == 0)
                            continue;
                        size_t joint = size_t(joints[v * 4 + k]);
                        keep = keep && invertible[joint];
                        std::array<double, 3> q = GltfTestFile::Apply(skinning[joint], p);
                        for (size_t i = 0; i < 3; ++i)
                            placed[i] += w * q[i];
                    }
                } else {
                    placed = GltfTestFile::Apply(world, p);
                }
                if (!keep)
                    continue;
                double tolerance = 1e-4 * std::max({1.0, std::fabs(p[0]), std::fabs(p[1]), std::fabs(p[2])});
                EXPECT_NEAR(placed[0], p[0], tolerance) << "node " << n << " vertex " << v;
                EXPECT_NEAR(placed[1], p[2], tolerance) << "node " << n << " vertex " << v;
                EXPECT_NEAR(placed[2], -p[1], tolerance) << "node " << n << " vertex " << v;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 0u);
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
TEST_P(QroGltfScene, AssimpReadsTheSameMeshesBonesAndTriangles) {
    if (!ChildProcess::IsOnPath("assimp"))
        GTEST_SKIP() << "the assimp command is not installed (scripts/setup installs assimp-utils)";
    GltfTestFile gltf;
    std::string out;
    ASSERT_NO_FATAL_FAILURE(Convert(".glb", gltf, out));
    const nlohmann::json& json = gltf.Json();
    std::string expected;
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
            expected += "[";
            expected += std::to_string(vertices);
            expected += " / ";
            expected += std::to_string(bones);
            expected += " / ";
            expected += std::to_string(faces);
            expected += " | triangle]\n";
            ++primitives;
        }
    }
    ChildProcess::Outcome outcome = ChildProcess::Run({"assimp", "info", out, "-r"});
    ASSERT_EQ(outcome.exit, 0) << outcome.out << outcome.err;
    std::string actual;
    size_t at = outcome.out.find("\nMeshes:  (name)");
    ASSERT_NE(at, std::string::npos) << outcome.out;
    for (size_t line = outcome.out.find('\n', at + 1); line != std::string::npos;) {
        size_t end = outcome.out.find('\n', line + 1);
        std::string text = outcome.out.substr(line + 1, end == std::string::npos ? std::string::npos : end - line - 1);
        size_t open = text.find('[');
        if (open == std::string::npos)
            break;
        actual += text.substr(open) + "\n";
        line = end;
    }
    EXPECT_EQ(actual, expected);
    EXPECT_NE(outcome.out.find("Meshes:             " + std::to_string(primitives) + "\n"), std::string::npos)
        << outcome.out;
}
#endif

INSTANTIATE_TEST_SUITE_P(Cases, QroGltfScene, testing::ValuesIn(Scenes()),
                         [](const testing::TestParamInfo<SceneCase>& info) { return std::string(info.param.label); });

} // namespace

// The main job on real models: maxsim-run load FILE export first.qro, qro
// check, maxsim-run import first.qro export second.qro into an empty scene;
// the two files agree. And the exported bind pose of figures whose formats
// have their own rule for a skinned mesh's node transform.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "SceneSupport.h"

using nlohmann::json;
namespace fs = std::filesystem;

namespace {
const int kTimeLimit = 300;

// The file as qro dumps it, with what an import cannot give back taken out:
// materials (the importer creates none), and a bone's parent that is no bone
// of the file (the importer can only place a bone under a bone). Normals and
// texture coordinates are given per polygon corner, since the host may
// number the pools of a mesh it built in another order.
json Comparable(const json& dump) {
    json out = dump;
    std::set<std::string> bones;
    for (const json& b : dump["bones"])
        bones.insert(b["name"].get<std::string>());
    for (json& b : out["bones"])
        if (!bones.count(b["parent"].get<std::string>()))
            b["parent"] = "";
    for (json& mesh : out["meshes"]) {
        mesh.erase("materialNames");
        mesh.erase("polygonMaterialIndices");
        json corners = json::array();
        for (const json& i : mesh["polygonNormalIndices"])
            corners.push_back(mesh["normals"].at(i.get<size_t>()));
        mesh["cornerNormals"] = corners;
        mesh.erase("normals");
        mesh.erase("polygonNormalIndices");
        json sets = json::array();
        for (size_t s = 0; s < mesh["textureCoordinates"].size(); ++s) {
            json set = json::array();
            for (const json& i : mesh["polygonTexCoordIndices"].at(s))
                set.push_back(mesh["textureCoordinates"][s].at(i.get<size_t>()));
            sets.push_back(set);
        }
        mesh["cornerTextureCoordinates"] = sets;
        mesh.erase("textureCoordinates");
        mesh.erase("polygonTexCoordIndices");
    }
    return out;
}

// The places where two dumps differ, floats within 0.0001.
void Differences(const json& a, const json& b, const std::string& where, std::vector<std::string>& found) {
    if (found.size() >= 20)
        return;
    if (a.is_number() && b.is_number()) {
        if (!(std::fabs(a.get<double>() - b.get<double>()) <= 0.0001))
            found.push_back(where + ": " + a.dump() + " against " + b.dump());
    } else if (a.is_object() && b.is_object()) {
        for (auto it = a.begin(); it != a.end(); ++it)
            if (!b.contains(it.key()))
                found.push_back(where + "." + it.key() + ": only in the first");
            else
                Differences(it.value(), b[it.key()], where + "." + it.key(), found);
        for (auto it = b.begin(); it != b.end(); ++it)
            if (!a.contains(it.key()))
                found.push_back(where + "." + it.key() + ": only in the second");
    } else if (a.is_array() && b.is_array()) {
        if (a.size() != b.size())
            found.push_back(where + ": " + std::to_string(a.size()) + " entries against " + std::to_string(b.size()));
        else
            for (size_t i = 0; i < a.size(); ++i)
                Differences(a[i], b[i], where + "[" + std::to_string(i) + "]", found);
    } else if (a != b) {
        found.push_back(where + ": " + a.dump() + " against " + b.dump());
    }
}

struct RoundTrip {
    const char* path;
    size_t bones, meshes;
};

void PrintTo(const RoundTrip& model, std::ostream* os) {
    *os << model.path;
}

const RoundTrip kRoundTrips[] = {
    {"glTF2/simple_skin/simple_skin.gltf", 2, 1},
    {"X/anim_test.x", 4, 1},
    {"Collada/cube_with_2UVs.DAE", 0, 1},
    {"Collada/teapots.DAE", 0, 3},
    // Bones bound at a scale of 100 (a file from a tool that works in
    // centimetres): their poses must not be taken for singular ones.
    {"FBX/huesitos.fbx", 9, 1},
};

class ModelRoundTripTest : public ::testing::TestWithParam<RoundTrip> {};

std::string Name(const ::testing::TestParamInfo<RoundTrip>& info) {
    return scenes::TestNameOf(info.param.path);
}

// One program of the round trip, its streams kept in dir.
ChildProcess::Outcome RunStep(const std::vector<std::string>& arguments, const fs::path& dir) {
    ChildProcess::Options options;
    options.folder = dir;
    options.seconds = kTimeLimit;
    return ChildProcess::Run(arguments, options);
}

json Dump(const fs::path& file, const fs::path& dir) {
    const ChildProcess::Outcome r = RunStep({QRO_EXECUTABLE, "dump", file.string()}, dir);
    EXPECT_EQ(r.exit, 0) << r.err;
    return json::parse(r.out, nullptr, false);
}
} // namespace

TEST_P(ModelRoundTripTest, ExportCheckImportExportGivesTheSameFile) {
    const RoundTrip& model = GetParam();
    const fs::path source = fs::path(SCENE_MODELS) / model.path;
    if (!fs::exists(source))
        GTEST_SKIP() << "the assimp-testmodels package is not installed here (" << source << " is missing)";
    const fs::path dir = fs::path(SCENE_TEST_WORK) / "roundtrip" / Name({model, 0});
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path first = dir / "first.qro", second = dir / "second.qro";

    ChildProcess::Outcome r = RunStep({MAXSIM_RUN, "load", source.string(), "export", first.string()}, dir);
    ASSERT_EQ(r.exit, 0) << r.err;
    r = RunStep({QRO_EXECUTABLE, "check", first.string()}, dir);
    ASSERT_EQ(r.exit, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "ok: " + std::to_string(model.bones) + " bones, " + std::to_string(model.meshes) + " meshes\n");
    r = RunStep({MAXSIM_RUN, "import", first.string(), "export", second.string()}, dir);
    ASSERT_EQ(r.exit, 0) << r.err;

    const json a = Dump(first, dir), b = Dump(second, dir);
    ASSERT_FALSE(a.is_discarded());
    ASSERT_FALSE(b.is_discarded());
    ASSERT_EQ(a["bones"].size(), model.bones);
    ASSERT_EQ(a["meshes"].size(), model.meshes);
    std::vector<std::string> found;
    Differences(Comparable(a), Comparable(b), "file", found);
    std::string list;
    for (const std::string& d : found)
        list += "\n  " + d;
    EXPECT_TRUE(found.empty()) << "the second export differs from the first:" << list;
}

INSTANTIATE_TEST_SUITE_P(Package, ModelRoundTripTest, ::testing::ValuesIn(kRoundTrips), Name);

namespace {
// A figure of a .x file whose skinned meshes sit in frames with transforms
// of their own (a quarter turn about x; the head's frame also a shift),
// which DirectX skinning ignores: its viewers show it standing, whole.
struct Figure {
    const char* path;
    std::vector<std::string> feet; // bones at the soles
    std::string neck;              // a bone well above them
    // Where a head of its own meets the body: the head's root bone, the
    // body's bone it stands on, and the two meshes. Empty for one mesh.
    std::string headRoot, bodyNeck, headMesh, bodyMesh;
};

void PrintTo(const Figure& figure, std::ostream* os) {
    *os << figure.path;
}

const Figure kFigures[] = {
    {"X/BCN_Epileptic.X", {"B_Toe_Left", "B_Toe_Right"}, "B_Neck", "B_Root_Neck_H", "B_Root_Neck_T", "Head", "Torso"},
    {"X/Testwuson.X", {"HindLeg_L_04", "HindLeg_R_04", "ForeLeg_L_05", "ForeLeg_R_05"}, "Neck", "", "", "", ""},
};

class ExportedBindPoseTest : public ::testing::TestWithParam<Figure> {};

std::string FigureName(const ::testing::TestParamInfo<Figure>& info) {
    return scenes::TestNameOf(info.param.path);
}

// Where a bone of the export stands in its bind pose: the translation of
// the inverse of its inverse bind matrix (rows, the last one the translation).
Point3 BindPosition(const json& bone) {
    const json& m = bone["invBaseMatrix"];
    Matrix3 inverse(TRUE);
    for (int row = 0; row < 4; ++row)
        inverse.SetRow(row, Point3(m.at(size_t(row * 4)).get<float>(), m.at(size_t(row * 4 + 1)).get<float>(),
                                   m.at(size_t(row * 4 + 2)).get<float>()));
    inverse.ValidateFlags();
    return Inverse(inverse).GetTrans();
}

std::vector<Point3> Vertices(const json& mesh) {
    std::vector<Point3> out;
    for (const json& v : mesh["vertices"])
        out.emplace_back(v.at(0).get<float>(), v.at(1).get<float>(), v.at(2).get<float>());
    return out;
}
} // namespace

// The exported bind pose is the figure's rest shape as its viewers show it:
// standing along the host's up axis (+Z), its feet at the bottom of its
// mesh and its neck well above them; and a head of its own on its neck, as
// in the file's pose, its mesh meeting the body's.
TEST_P(ExportedBindPoseTest, StandsUpOnItsFeetWithItsHeadOnItsNeck) {
    const Figure& figure = GetParam();
    const fs::path source = fs::path(SCENE_MODELS) / figure.path;
    if (!fs::exists(source))
        GTEST_SKIP() << "the assimp-testmodels package is not installed here (" << source << " is missing)";
    const fs::path dir = fs::path(SCENE_TEST_WORK) / "bindpose" / FigureName({figure, 0});
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path exported = dir / "figure.qro";
    const ChildProcess::Outcome r = RunStep({MAXSIM_RUN, "load", source.string(), "export", exported.string()}, dir);
    ASSERT_EQ(r.exit, 0) << r.err;
    const json dump = Dump(exported, dir);
    ASSERT_FALSE(dump.is_discarded());

    std::map<std::string, Point3> bones;
    for (const json& bone : dump["bones"])
        bones[bone["name"].get<std::string>()] = BindPosition(bone);
    std::map<std::string, std::vector<Point3>> meshes;
    float low = 1e30f, high = -1e30f;
    for (const json& mesh : dump["meshes"]) {
        meshes[mesh["name"].get<std::string>()] = Vertices(mesh);
        for (const Point3& p : meshes[mesh["name"].get<std::string>()]) {
            low = std::min(low, p.z);
            high = std::max(high, p.z);
        }
    }
    const float height = high - low;
    ASSERT_GT(height, 0.0f);

    float feet = 0.0f;
    for (const std::string& foot : figure.feet) {
        ASSERT_TRUE(bones.count(foot)) << foot;
        EXPECT_LT(bones[foot].z - low, 0.15f * height) << foot << " is not at the bottom of the figure";
        feet += bones[foot].z / float(figure.feet.size());
    }
    ASSERT_TRUE(bones.count(figure.neck)) << figure.neck;
    EXPECT_GT(bones[figure.neck].z - feet, 0.4f * height) << "the neck does not stand above the feet";

    if (figure.headRoot.empty())
        return;
    // In the file's own pose the head's root bone stands where it does at
    // rest (the file's pose is its bind pose there).
    const scenes::FileScene file(source);
    ASSERT_TRUE(file.scene) << file.importer.GetErrorString();
    const aiNode* headRoot = file.scene->mRootNode->FindNode(figure.headRoot.c_str());
    const aiNode* bodyNeck = file.scene->mRootNode->FindNode(figure.bodyNeck.c_str());
    ASSERT_TRUE(headRoot && bodyNeck);
    const float inFile =
        (scenes::HostWorld(file.scene, headRoot).GetTrans() - scenes::HostWorld(file.scene, bodyNeck).GetTrans())
            .Length();
    ASSERT_TRUE(bones.count(figure.headRoot) && bones.count(figure.bodyNeck));
    EXPECT_NEAR((bones[figure.headRoot] - bones[figure.bodyNeck]).Length(), inFile, 0.01f)
        << "the head is off its neck";
    float gap = 1e30f;
    for (const Point3& h : meshes[figure.headMesh])
        for (const Point3& b : meshes[figure.bodyMesh])
            gap = std::min(gap, (h - b).Length());
    EXPECT_LT(gap, 0.01f) << "the head mesh does not meet the body's";
}

INSTANTIATE_TEST_SUITE_P(Package, ExportedBindPoseTest, ::testing::ValuesIn(kFigures), FigureName);

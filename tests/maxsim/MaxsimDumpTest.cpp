#include <charconv>
#include <cmath>

#include "DemoScene.h"
#include "MaxsimFixture.h"
#include "SceneDump.h"

using MaxsimDumpTest = MaxsimTest;
using json = nlohmann::ordered_json;

namespace {
const json* NodeNamed(const json& scene, const std::string& name) {
    for (const json& n : scene["nodes"])
        if (n["name"] == name)
            return &n;
    return nullptr;
}

Point3 At(const json& v) {
    return Point3(v[0].get<float>(), v[1].get<float>(), v[2].get<float>());
}

Matrix3 Tm(const json& rows) {
    return Matrix3(At(rows[0]), At(rows[1]), At(rows[2]), At(rows[3]));
}
} // namespace

TEST_F(MaxsimDumpTest, TheDemoTubeIsPosedAwayFromItsBindPose) {
    maxsim::DemoScene::Build(Host());
    const json scene = maxsim::SceneDump::ToJson(Host());
    const json* tube = NodeNamed(scene, "Tube");
    ASSERT_NE(tube, nullptr);
    const json& mesh = (*tube)["mesh"];
    const json& world = (*tube)["worldVertices"];
    ASSERT_EQ(mesh["vertices"].size(), world.size());
    const Matrix3 bindTM = Tm((*tube)["skin"]["meshInitTM"]);
    float largest = 0.0f;
    for (size_t i = 0; i < world.size(); ++i)
        largest = std::fmax(largest, (At(world[i]) - bindTM.PointTransform(At(mesh["vertices"][i]))).Length());
    EXPECT_GT(largest, 5.0f);
    // The first ring belongs to the unmoved first bone alone.
    ExpectNear(At(world[0]), bindTM.PointTransform(At(mesh["vertices"][0])));
}

TEST_F(MaxsimDumpTest, TheDemoSceneHasWhatTheCollectionFiltersNeed) {
    maxsim::DemoScene::Build(Host());
    const json scene = maxsim::SceneDump::ToJson(Host());
    const json& tube = *NodeNamed(scene, "Tube");
    EXPECT_EQ(tube["object"]["classID"], json::array({0x5D21369A, 0}));
    EXPECT_EQ(tube["object"]["modifiers"][0]["classID"], json::array({0x0095C723, 0x00015666}));
    // Three bones of the chain and the crate, which is a mesh as well.
    ASSERT_EQ(tube["skin"]["bones"].size(), 4u);
    EXPECT_EQ(tube["skin"]["bones"][3], (*NodeNamed(scene, "Crate"))["handle"]);
    EXPECT_EQ(tube["parent"], nullptr);
    EXPECT_TRUE(tube["selected"].get<bool>());
    const json& maps = tube["mesh"]["maps"];
    ASSERT_EQ(maps.size(), 3u);
    EXPECT_TRUE(maps[0]["dead"].get<bool>());
    EXPECT_FALSE(maps[1]["dead"].get<bool>());
    EXPECT_NE(maps[1]["verts"].size(), maps[2]["verts"].size());
    EXPECT_FALSE(tube["mesh"]["normals"].is_null());
    const json& material = scene["materials"][tube["material"].get<size_t>()];
    EXPECT_EQ(material["classID"], json::array({0x200, 0}));
    EXPECT_EQ(material["subMaterials"][2], nullptr);
    std::set<int> ids;
    for (const json& f : tube["mesh"]["faces"])
        ids.insert(f["material"].get<int>());
    EXPECT_EQ(ids, (std::set<int>{0, 1, 2}));

    EXPECT_EQ((*NodeNamed(scene, "Bone02"))["parent"], (*NodeNamed(scene, "Bone01"))["handle"]);
    EXPECT_EQ((*NodeNamed(scene, "Crate"))["skin"], nullptr);
    EXPECT_EQ((*NodeNamed(scene, "Crate"))["object"]["classID"], json::array({9, 0}));
    EXPECT_EQ((*NodeNamed(scene, "Dummy01"))["object"]["superClassID"], 0x50);
    EXPECT_EQ((*NodeNamed(scene, "Dummy01"))["mesh"], nullptr);
    EXPECT_EQ((*NodeNamed(scene, "Camera01"))["object"]["superClassID"], 0x20);
    // A shape that converts to a poly mesh.
    const json& outline = *NodeNamed(scene, "Outline01");
    EXPECT_EQ(outline["object"]["superClassID"], 0x40);
    EXPECT_FALSE(outline["mesh"].is_null());
}

// The bones are bound rolled about their length: their bind transforms are
// not symmetric, so reading rows as columns gives a different matrix.
TEST_F(MaxsimDumpTest, TheDemoBonesAreBoundRotated) {
    maxsim::DemoScene::Build(Host());
    const json scene = maxsim::SceneDump::ToJson(Host());
    const json& skin = (*NodeNamed(scene, "Tube"))["skin"];
    for (size_t b = 0; b < 3; ++b) {
        const Matrix3 init = Tm(skin["initTMs"][b]);
        float asymmetry = 0.0f;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                asymmetry = std::fmax(asymmetry, std::fabs(init.GetRow(i)[j] - init.GetRow(j)[i]));
        EXPECT_GT(asymmetry, 0.5f) << "bone " << b;
    }
    const json& bone = (*NodeNamed(scene, "Bone02"))["bone"];
    EXPECT_TRUE(bone["on"].get<bool>());
    EXPECT_TRUE(bone["freezeLength"].get<bool>());
    EXPECT_EQ(bone["scaleType"], BONE_SCALETYPE_SCALE);
    EXPECT_EQ(bone["axis"], BONE_AXIS_X);
}

// The wedge: selected under an unselected parent, an object offset with
// rotation and non-uniform scale, explicit normals 2.5 long, channel 2 dead
// between live channels 1 and 3, a face id beyond its material's two slots.
TEST_F(MaxsimDumpTest, TheDemoWedgeCarriesWhatAnExportMustGetRight) {
    maxsim::DemoScene::Build(Host());
    const json scene = maxsim::SceneDump::ToJson(Host());
    const json& wedge = *NodeNamed(scene, "Wedge");
    const json& dummy = *NodeNamed(scene, "Dummy01");
    EXPECT_EQ(wedge["parent"], dummy["handle"]);
    EXPECT_TRUE(wedge["selected"].get<bool>());
    EXPECT_FALSE(dummy["selected"].get<bool>());

    const Matrix3 objectTM = Tm(wedge["objectTM"]);
    const Matrix3 nodeTM = Tm(wedge["nodeTM"]);
    const Point3 scale(objectTM.GetRow(0).Length(), objectTM.GetRow(1).Length(), objectTM.GetRow(2).Length());
    ExpectNear(scale, Point3(2.0f, 0.5f, 1.5f));
    EXPECT_GT(std::fabs(objectTM.GetRow(0).Normalize() % nodeTM.GetRow(0).Normalize() - 1.0f), 0.1f)
        << "the offset rotates the object";
    INode* node = Host().GetINodeByName("Wedge");
    EXPECT_TRUE(Tm(wedge["objectTM"]).Equals(node->GetObjectTM(Now()), 1e-5f));

    const json& normals = wedge["mesh"]["normals"];
    ASSERT_FALSE(normals.is_null());
    for (size_t i = 0; i < normals["normals"].size(); ++i) {
        EXPECT_NEAR(At(normals["normals"][i]).Length(), 2.5f, 1e-5f);
        EXPECT_TRUE(normals["explicit"][i].get<bool>());
    }
    ASSERT_EQ(normals["specified"].size(), normals["faces"].size());
    EXPECT_EQ(normals["specified"][3].size(), 4u);

    const json& maps = wedge["mesh"]["maps"];
    ASSERT_EQ(maps.size(), 4u);
    EXPECT_FALSE(maps[1]["dead"].get<bool>());
    EXPECT_TRUE(maps[2]["dead"].get<bool>());
    EXPECT_FALSE(maps[3]["dead"].get<bool>());

    const json& material = scene["materials"][wedge["material"].get<size_t>()];
    EXPECT_EQ(material["classID"], json::array({0x200, 0}));
    const size_t slots = material["subMaterials"].size();
    EXPECT_EQ(slots, 2u);
    int beyond = 0;
    for (const json& f : wedge["mesh"]["faces"])
        beyond += f["material"].get<size_t>() >= slots ? 1 : 0;
    EXPECT_EQ(beyond, 1);
}

TEST_F(MaxsimDumpTest, SwitchingTheSkinOffDumpsTheBindPose) {
    maxsim::DemoScene::Build(Host());
    INode* tube = Host().GetINodeByName("Tube");
    IDerivedObject* d = static_cast<IDerivedObject*>(tube->GetObjectRef());
    d->GetModifier(0)->DisableMod();
    const json scene = maxsim::SceneDump::ToJson(Host());
    const json& node = *NodeNamed(scene, "Tube");
    EXPECT_FALSE(node["object"]["modifiers"][0]["enabled"].get<bool>());
    const Matrix3 objectTM = tube->GetObjectTM(Now());
    for (size_t i = 0; i < node["worldVertices"].size(); ++i)
        ExpectNear(At(node["worldVertices"][i]), objectTM.PointTransform(At(node["mesh"]["vertices"][i])));
}

TEST_F(MaxsimDumpTest, FloatsReadBackAsTheSameFloats) {
    INode* n = NewNode(NewQuadAndTriangle(), "n");
    const float awkward[] = {0.1f, 1.0f / 3.0f, 16777217.0f, -2.5e-8f, 123456.789f};
    Matrix3 tm(TRUE);
    tm.SetRow(3, Point3(awkward[0], awkward[1], awkward[4]));
    tm.SetRow(0, Point3(awkward[3], 1.0f, 0.0f));
    n->SetNodeTM(Now(), tm);
    const std::string text = maxsim::SceneDump::ToText(Host());
    const json scene = json::parse(text);
    const json& rows = scene["nodes"][0]["nodeTM"];
    EXPECT_EQ(rows[3][0].get<float>(), awkward[0]);
    EXPECT_EQ(rows[3][1].get<float>(), awkward[1]);
    EXPECT_EQ(rows[3][2].get<float>(), awkward[4]);
    EXPECT_EQ(rows[0][0].get<float>(), awkward[3]);
}

TEST_F(MaxsimDumpTest, EightBitNamesSurviveAsLatin1) {
    char name[] = "Caf\xe9";
    NewNode(NewPoly(), "x")->SetName(name);
    const json scene = json::parse(maxsim::SceneDump::ToText(Host()));
    EXPECT_EQ(scene["nodes"][0]["name"], "Caf\xc3\xa9");
}

TEST_F(MaxsimDumpTest, AnEmptySceneDumpsNoNodes) {
    Host().SetTime(80);
    const json scene = maxsim::SceneDump::ToJson(Host());
    EXPECT_EQ(scene["time"], 80);
    EXPECT_TRUE(scene["nodes"].empty());
    EXPECT_TRUE(scene["materials"].empty());
}

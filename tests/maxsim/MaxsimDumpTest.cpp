#include <charconv>
#include <cmath>

#include "MaxsimFixture.h"
#include "DemoScene.h"
#include "SceneDump.h"

using MaxsimDumpTest = MaxsimTest;
using json = nlohmann::ordered_json;

namespace
{
const json* NodeNamed(const json& scene, const std::string& name)
{
    for (const json& n : scene["nodes"])
        if (n["name"] == name)
            return &n;
    return nullptr;
}

Point3 At(const json& v) { return Point3(v[0].get<float>(), v[1].get<float>(), v[2].get<float>()); }

Matrix3 Tm(const json& rows) { return Matrix3(At(rows[0]), At(rows[1]), At(rows[2]), At(rows[3])); }
} // namespace

TEST_F(MaxsimDumpTest, TheDemoTubeIsPosedAwayFromItsBindPose)
{
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

TEST_F(MaxsimDumpTest, TheDemoSceneHasWhatTheCollectionFiltersNeed)
{
    maxsim::DemoScene::Build(Host());
    const json scene = maxsim::SceneDump::ToJson(Host());
    const json& tube = *NodeNamed(scene, "Tube");
    EXPECT_EQ(tube["object"]["classID"], json::array({0x5D21369A, 0}));
    EXPECT_EQ(tube["object"]["modifiers"][0]["classID"], json::array({0x0095C723, 0x00015666}));
    EXPECT_EQ(tube["skin"]["bones"].size(), 3u);
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
}

TEST_F(MaxsimDumpTest, SwitchingTheSkinOffDumpsTheBindPose)
{
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

TEST_F(MaxsimDumpTest, FloatsReadBackAsTheSameFloats)
{
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

TEST_F(MaxsimDumpTest, EightBitNamesSurviveAsLatin1)
{
    char name[] = "Caf\xe9";
    NewNode(NewPoly(), "x")->SetName(name);
    const json scene = json::parse(maxsim::SceneDump::ToText(Host()));
    EXPECT_EQ(scene["nodes"][0]["name"], "Caf\xc3\xa9");
}

TEST_F(MaxsimDumpTest, AnEmptySceneDumpsNoNodes)
{
    Host().SetTime(80);
    const json scene = maxsim::SceneDump::ToJson(Host());
    EXPECT_EQ(scene["time"], 80);
    EXPECT_TRUE(scene["nodes"].empty());
    EXPECT_TRUE(scene["materials"].empty());
}

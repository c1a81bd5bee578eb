#include <cmath>
#include <string>
#include <vector>

#include "../support/RecordingLog.h"
#include "TranslatorFixture.h"
#include "imtl.h"
#include "merrow/Platform/3dsmax/Kits/HMatrixConversion.h"

using merrow::platform_3dsmax::HMatrixConversion;
using orlo::TMatrix4;

namespace {

TMatrix4<float> Multiply(const TMatrix4<float>& a, const TMatrix4<float>& b) {
    TMatrix4<float> r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}

class QuarroExporterTest : public TranslatorTest {
protected:
    // Two bones, the first turned a quarter about z; a quad and a triangle
    // skinned to them in the order Arm, Root (the scene lists Root first).
    // Afterwards the bones move, so the current pose differs from the bind pose.
    void BuildSkinnedScene() {
        m_root = NewBone("Root", Point3(0, 0, 0));
        Matrix3 turned = RotateZMatrix(1.5707963f);
        turned.SetTrans(Point3(1, 2, 3));
        m_root->SetNodeTM(Now(), turned);
        m_arm = NewBone("Arm", Point3(2, 0, 0));
        m_root->AttachChild(m_arm, TRUE);
        m_rootBind = HMatrixConversion::ToMatrix4(m_root->GetNodeTM(Now()));
        m_armBind = HMatrixConversion::ToMatrix4(m_arm->GetNodeTM(Now()));

        m_mesh = NewMeshNode("Skin");
        m_skin = AddSkin(m_mesh, {m_arm, m_root});
        ASSERT_TRUE(SetWeights(m_skin, m_mesh, 0, {m_root}, {1.0f}));
        ASSERT_TRUE(SetWeights(m_skin, m_mesh, 1, {m_arm, m_root}, {0.25f, 0.75f}));
        ASSERT_TRUE(SetWeights(m_skin, m_mesh, 2, {m_arm}, {1.0f}));
        ASSERT_TRUE(SetWeights(m_skin, m_mesh, 3, {m_root}, {1.0f}));
        ASSERT_TRUE(SetWeights(m_skin, m_mesh, 4, {m_arm}, {1.0f}));

        Matrix3 moved = m_root->GetNodeTM(Now());
        moved.SetTrans(Point3(5, 5, 5));
        m_root->SetNodeTM(Now(), moved);
    }

    INode* m_root = nullptr;
    INode* m_arm = nullptr;
    INode* m_mesh = nullptr;
    Modifier* m_skin = nullptr;
    TMatrix4<float> m_rootBind{};
    TMatrix4<float> m_armBind{};
};

TEST_F(QuarroExporterTest, WritesBindPosesPositionsAndWeightsInBoneListOrder) {
    BuildSkinnedScene();
    const Exported exported = Export();
    ASSERT_EQ(exported.code, 0);
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    ReadBack(exported.text, bones, meshes);

    ASSERT_EQ(bones.Num(), 2);
    EXPECT_STREQ(bones[0].name.c_str(), "Root");
    EXPECT_STREQ(bones[0].parent.c_str(), "");
    EXPECT_STREQ(bones[1].name.c_str(), "Arm");
    EXPECT_STREQ(bones[1].parent.c_str(), "Root");
    // The inverse bind matrices undo the bind poses, not the current ones.
    ExpectMatrixNear(Multiply(bones[0].invBaseMatrix, m_rootBind), TMatrix4<float>::Identity());
    ExpectMatrixNear(Multiply(bones[1].invBaseMatrix, m_armBind), TMatrix4<float>::Identity());

    ASSERT_EQ(meshes.Num(), 1);
    const MeshData& mesh = meshes[0];
    EXPECT_STREQ(mesh.name.c_str(), "Skin");
    ASSERT_EQ(mesh.vertices.Num(), 5);
    // The skin is off while positions are read: the mesh as it was built.
    EXPECT_NEAR(mesh.vertices[4].x, 3.0f, 1e-4f);
    EXPECT_NEAR(mesh.vertices[2].y, 1.0f, 1e-4f);
    EXPECT_EQ(Vec(mesh.polygonVertexCounts), (std::vector<unsigned int>{4, 3}));
    EXPECT_EQ(Vec(mesh.polygonVertexIndices), (std::vector<unsigned int>{0, 1, 2, 3, 1, 4, 2}));
    EXPECT_EQ(Vec(mesh.vertexWeightCounts), (std::vector<unsigned int>{1, 2, 1, 1, 1}));
    // Skin slot 0 is Arm, which is bone 1 of the file; slot 1 is Root, bone 0.
    ASSERT_EQ(mesh.weights.Num(), 6);
    const int expectedBones[6] = {0, 1, 0, 1, 0, 1};
    const float expectedWeights[6] = {1.0f, 0.25f, 0.75f, 1.0f, 1.0f, 1.0f};
    for (int w = 0; w < 6; ++w) {
        EXPECT_EQ(mesh.weights[w].boneIndex, expectedBones[w]) << "weight " << w;
        EXPECT_NEAR(mesh.weights[w].weight, expectedWeights[w], 1e-4f) << "weight " << w;
    }
    // The export leaves the user's skin switched on.
    EXPECT_FALSE(m_skin->TestAFlag(A_MOD_DISABLED));
}

TEST_F(QuarroExporterTest, BonesWithoutSkinExportTheInverseOfTheirWorldTransform) {
    INode* bone = NewBone("Lonely", Point3(4, -2, 7));
    const TMatrix4<float> world = HMatrixConversion::ToMatrix4(bone->GetNodeTM(Now()));
    const Exported exported = Export();
    ASSERT_EQ(exported.code, 0);
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    ReadBack(exported.text, bones, meshes);
    ASSERT_EQ(bones.Num(), 1);
    ExpectMatrixNear(Multiply(bones[0].invBaseMatrix, world), TMatrix4<float>::Identity());
    EXPECT_EQ(meshes.Num(), 0);
}

TEST_F(QuarroExporterTest, ConflictingBindPosesAreReportedOnceAndTheFirstMeshWins) {
    orlo_test::FailureCapture errors;
    INode* bone = NewBone("Shared", Point3(0, 0, 0));
    INode* first = NewMeshNode("First");
    Modifier* firstSkin = AddSkin(first, {bone});
    ASSERT_TRUE(SetWeights(firstSkin, first, 0, {bone}, {1.0f}));
    const TMatrix4<float> firstBind = HMatrixConversion::ToMatrix4(bone->GetNodeTM(Now()));
    Matrix3 elsewhere(TRUE);
    elsewhere.SetTrans(Point3(0, 0, 10));
    bone->SetNodeTM(Now(), elsewhere);
    INode* second = NewMeshNode("Second");
    Modifier* secondSkin = AddSkin(second, {bone});
    ASSERT_TRUE(SetWeights(secondSkin, second, 0, {bone}, {1.0f}));

    const Exported exported = Export();
    ASSERT_EQ(exported.code, 0);
    ASSERT_EQ(errors.Messages().size(), 1u) << errors.All();
    EXPECT_NE(errors.All().find("Can't export bones with multiple distinct bind poses."), std::string::npos);
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    ReadBack(exported.text, bones, meshes);
    ASSERT_EQ(bones.Num(), 1);
    ExpectMatrixNear(Multiply(bones[0].invBaseMatrix, firstBind), TMatrix4<float>::Identity());
    EXPECT_EQ(meshes.Num(), 2);
}

TEST_F(QuarroExporterTest, EqualBindPosesAreNoConflict) {
    orlo_test::FailureCapture errors;
    INode* bone = NewBone("Shared", Point3(1, 0, 0));
    for (const char* name : {"First", "Second"}) {
        INode* mesh = NewMeshNode(name);
        Modifier* skin = AddSkin(mesh, {bone});
        ASSERT_TRUE(SetWeights(skin, mesh, 0, {bone}, {1.0f}));
    }
    EXPECT_EQ(Export().code, 0);
    EXPECT_TRUE(errors.Messages().empty()) << errors.All();
}

TEST_F(QuarroExporterTest, ASingularPoseEndsTheFileAfterTheBonesParentLine) {
    orlo_test::FailureCapture errors;
    NewBone("Fine", Point3(0, 0, 0));
    INode* flat = NewBone("Flat", Point3(0, 0, 0));
    Matrix3 zero(TRUE);
    zero.SetRow(0, Point3(0, 0, 0));
    flat->SetNodeTM(Now(), zero);
    NewMeshNode("Never");

    const Exported exported = Export();
    EXPECT_EQ(exported.code, 1);
    const std::string ending = "bone 1 {\r\n\tname \"Flat\"\r\n\tparent \"\"";
    ASSERT_GE(exported.text.size(), ending.size());
    EXPECT_EQ(exported.text.substr(exported.text.size() - ending.size()), ending);
    ASSERT_EQ(errors.Messages().size(), 1u);
    EXPECT_EQ(errors.All().find("The plugin throwed an exception:\r\n"), 0u);
    EXPECT_NE(errors.All().find("'assure' failed: b"), std::string::npos);
    EXPECT_NE(errors.All().find("QuarroExporter::Export"), std::string::npos);
    EXPECT_TRUE(ProgressEnded());
}

// A bone bound at a hundredth of its size, as files from tools that work in
// centimetres have them, is no singular pose: its inverse is written.
TEST_F(QuarroExporterTest, ABoneAtAHundredthOfItsSizeKeepsItsInverse) {
    INode* small = NewBone("Small", Point3(0, 0, 0));
    Matrix3 tm(TRUE);
    tm.SetRow(0, Point3(0.01f, 0.0f, 0.0f));
    tm.SetRow(1, Point3(0.0f, 0.01f, 0.0f));
    tm.SetRow(2, Point3(0.0f, 0.0f, 0.01f));
    tm.SetRow(3, Point3(1, 2, 3));
    small->SetNodeTM(Now(), tm);
    NewMeshNode("Mesh");

    const Exported exported = Export();
    ASSERT_EQ(exported.code, 0) << exported.text;
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    ReadBack(exported.text, bones, meshes);
    ASSERT_EQ(bones.Num(), 1);
    const orlo::TMatrix4<float>& inverse = bones[0].invBaseMatrix;
    EXPECT_NEAR(inverse.m[0][0], 100.0f, 0.001f);
    EXPECT_NEAR(inverse.m[1][1], 100.0f, 0.001f);
    EXPECT_NEAR(inverse.m[2][2], 100.0f, 0.001f);
    EXPECT_NEAR(inverse.m[3][0], -100.0f, 0.001f);
    EXPECT_NEAR(inverse.m[3][2], -300.0f, 0.001f);
}

TEST_F(QuarroExporterTest, SelectedOnlyKeepsEverySkinsBones) {
    INode* left = NewBone("Left", Point3(-1, 0, 0));
    INode* right = NewBone("Right", Point3(1, 0, 0));
    INode* shown = NewMeshNode("Shown");
    INode* hidden = NewMeshNode("Hidden");
    ASSERT_TRUE(SetWeights(AddSkin(shown, {left}), shown, 0, {left}, {1.0f}));
    ASSERT_TRUE(SetWeights(AddSkin(hidden, {right}), hidden, 0, {right}, {1.0f}));
    Host()->ClearNodeSelection(FALSE);
    Host()->SelectNode(shown, FALSE);

    const Exported exported = Export(true);
    ASSERT_EQ(exported.code, 0);
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    ReadBack(exported.text, bones, meshes);
    EXPECT_EQ(bones.Num(), 2);
    ASSERT_EQ(meshes.Num(), 1);
    EXPECT_STREQ(meshes[0].name.c_str(), "Shown");
}

TEST_F(QuarroExporterTest, AMeshWithoutMaterialsHasNoMaterialBlocks) {
    NewMeshNode("Plain");
    const Exported exported = Export();
    ASSERT_EQ(exported.code, 0);
    EXPECT_EQ(exported.text.find("materialNames"), std::string::npos);
    EXPECT_EQ(exported.text.find("polygonMaterialIndices"), std::string::npos);
}

TEST_F(QuarroExporterTest, ANameTheReaderCannotTakeBackIsWrittenAsItIsAndReported) {
    orlo_test::FailureCapture errors;
    NewMeshNode("say \"hi\"");
    const Exported exported = Export();
    ASSERT_EQ(exported.code, 0);
    EXPECT_NE(exported.text.find("name \"say \"hi\"\""), std::string::npos);
    ASSERT_EQ(errors.Messages().size(), 1u);
    EXPECT_NE(errors.All().find("say \"hi\""), std::string::npos);
}

Mtl* NewMaterial(const char* name) {
    Mtl* m = static_cast<Mtl*>(GetCOREInterface()->CreateInstance(MATERIAL_CLASS_ID, Class_ID(DMTL_CLASS_ID, 0)));
    m->SetName(name);
    return m;
}

// Every name the file carries is checked, each reported once however often
// it is written.
enum class NameIn { Material, MaterialOfTwoMeshes, ParentThatIsNoBone, BoneThatIsAParent };

struct UnreadableNameCase {
    const char* name;
    NameIn in;
    const char* report;
};

void PrintTo(const UnreadableNameCase& row, std::ostream* out) {
    *out << row.name;
}

const UnreadableNameCase kUnreadableNameCases[] = {
    {"MaterialName", NameIn::Material, "The name of material \"Pipe 3/4\"\" holds a double quote"},
    {"MaterialOfTwoMeshes", NameIn::MaterialOfTwoMeshes, "The name of material \"Pipe 3/4\"\" holds a double quote"},
    {"ParentThatIsNoBone", NameIn::ParentThatIsNoBone, "The name of node \"Rig \"A\"\" holds a double quote"},
    {"BoneThatIsAParent", NameIn::BoneThatIsAParent, "The name of node \"Arm \"L\"\" holds a double quote"},
};

class UnreadableName : public QuarroExporterTest, public ::testing::WithParamInterface<UnreadableNameCase> {
protected:
    void Build(NameIn in) {
        switch (in) {
        case NameIn::Material:
            NewMeshNode("Pipe")->SetMtl(NewMaterial("Pipe 3/4\""));
            break;
        case NameIn::MaterialOfTwoMeshes: {
            Mtl* shared = NewMaterial("Pipe 3/4\"");
            NewMeshNode("Pipe")->SetMtl(shared);
            NewMeshNode("Elbow")->SetMtl(shared);
            break;
        }
        case NameIn::ParentThatIsNoBone: {
            // Not in the bone list: the name shows only as the bone's parent.
            INode* rig = NewNode(NewObject(HELPER_CLASS_ID, Class_ID(DUMMY_CLASS_ID, 0)), "Rig \"A\"");
            rig->AttachChild(NewBone("Hip", Point3(0, 0, 0)), TRUE);
            break;
        }
        case NameIn::BoneThatIsAParent: {
            INode* arm = NewBone("Arm \"L\"", Point3(0, 0, 0));
            arm->AttachChild(NewBone("Hand", Point3(1, 0, 0)), TRUE);
            break;
        }
        }
    }
};

TEST_P(UnreadableName, IsReportedOnceAndTheExportGoesOn) {
    orlo_test::FailureCapture errors;
    Build(GetParam().in);
    EXPECT_EQ(Export().code, 0);
    ASSERT_EQ(errors.Messages().size(), 1u) << errors.All();
    EXPECT_EQ(errors.Messages()[0].rfind(GetParam().report, 0), 0u) << errors.Messages()[0];
}

INSTANTIATE_TEST_SUITE_P(Export, UnreadableName, ::testing::ValuesIn(kUnreadableNameCases),
                         [](const ::testing::TestParamInfo<UnreadableNameCase>& info) { return info.param.name; });

// Weights refer to bones by place, but an import finds bone nodes by name:
// the user hears once that bones of one name cannot be told apart.
TEST_F(QuarroExporterTest, BonesSharingANameAreReportedOnce) {
    orlo_test::FailureCapture errors;
    INode* mesh = NewMeshNode("Skin");
    INode* first = NewBone("Twin", Point3(0, 0, 0));
    INode* second = NewBone("Twin", Point3(1, 0, 0));
    NewBone("Twin", Point3(2, 0, 0));
    NewBone("Solo", Point3(3, 0, 0));
    Modifier* skin = AddSkin(mesh, {first, second});
    ASSERT_TRUE(SetWeights(skin, mesh, 0, {second}, {1.0f}));

    const Exported exported = Export();
    EXPECT_EQ(exported.code, 0);
    ASSERT_EQ(errors.Messages().size(), 1u) << errors.All();
    EXPECT_EQ(errors.Messages()[0].rfind("More than one bone is named \"Twin\"", 0), 0u) << errors.Messages()[0];
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    ReadBack(exported.text, bones, meshes);
    EXPECT_EQ(bones.Num(), 4);
}

// Merges each vertex into the first one at the same place, as a weld above a
// skin does: where the skin leaves points together (the bind pose) the mesh
// has fewer vertices than where it pulls them apart.
class WeldModifier : public Modifier {
public:
    Class_ID ClassID() override { return Class_ID(0x0ff5e7, 3); }
    void ModifyObject(TimeValue, ModContext&, ObjectState* os, INode*) override {
        const MNMesh& in = static_cast<PolyObject*>(os->obj)->mm;
        PolyObject* out = static_cast<PolyObject*>(static_cast<Object*>(
            GetCOREInterface()->CreateInstance(GEOMOBJECT_CLASS_ID, Class_ID(POLYOBJ_CLASS_ID, 0))));
        std::vector<int> to(size_t(in.numv), -1);
        std::vector<Point3> kept;
        for (int v = 0; v < in.numv; ++v) {
            for (size_t k = 0; k < kept.size() && to[size_t(v)] < 0; ++k)
                if (Length(kept[k] - in.P(v)) < 1e-4f)
                    to[size_t(v)] = int(k);
            if (to[size_t(v)] < 0) {
                to[size_t(v)] = int(kept.size());
                kept.push_back(in.P(v));
            }
        }
        out->mm.VAlloc(int(kept.size()));
        for (Point3& p : kept)
            out->mm.NewVert(p);
        out->mm.FAlloc(in.numf);
        out->mm.VEdgeAlloc();
        out->mm.VFaceAlloc();
        for (int f = 0; f < in.numf; ++f) {
            std::vector<int> corners;
            for (int c = 0; c < in.F(f)->deg; ++c)
                corners.push_back(to[size_t(in.F(f)->vtx[c])]);
            out->mm.CreateFace(int(corners.size()), corners.data());
        }
        out->mm.FillInMesh();
        os->obj = out;
    }
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override { return REF_SUCCEED; }
};

// The vertex count is the current pose's; a bind pose with fewer vertices
// fails the export rather than leave the vertex list short.
TEST_F(QuarroExporterTest, ABindPoseWithFewerVerticesThanTheCurrentPoseEndsTheExport) {
    orlo_test::FailureCapture errors;
    // Two triangles, the second starting where the first one's second corner is.
    PolyObject* poly = NewPoly();
    const Point3 points[6] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {2, 0, 0}, {1, 1, 0}};
    poly->mm.VAlloc(6);
    for (Point3 p : points)
        poly->mm.NewVert(p);
    poly->mm.FAlloc(2);
    poly->mm.VEdgeAlloc();
    poly->mm.VFaceAlloc();
    int first[3] = {0, 1, 2};
    int second[3] = {3, 4, 5};
    poly->mm.CreateFace(3, first);
    poly->mm.CreateFace(3, second);
    poly->mm.FillInMesh();
    INode* mesh = NewNode(poly, "Welded");
    INode* still = NewBone("Still", Point3(0, 0, 0));
    INode* mover = NewBone("Mover", Point3(0, 0, 0));
    Modifier* skin = AddSkin(mesh, {still, mover});
    for (int v = 0; v < 6; ++v)
        ASSERT_TRUE(SetWeights(skin, mesh, v, {v < 3 ? still : mover}, {1.0f}));
    static_cast<IDerivedObject*>(mesh->GetObjectRef())->AddModifier(new WeldModifier);

    // Bound and standing where it was bound: five vertices in both poses.
    const Exported together = Export();
    ASSERT_EQ(together.code, 0) << errors.All();
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    ReadBack(together.text, bones, meshes);
    ASSERT_EQ(meshes.Num(), 1);
    EXPECT_EQ(meshes[0].vertices.Num(), 5);

    // The second triangle pulled away: six vertices now, five in the bind pose.
    Matrix3 up(TRUE);
    up.SetTrans(Point3(0, 0, 1));
    mover->SetNodeTM(Now(), up);
    ASSERT_EQ(mesh->EvalWorldState(Now()).obj->NumPoints(), 6);
    const Exported apart = Export();
    EXPECT_EQ(apart.code, 1) << apart.text;
    ASSERT_EQ(errors.Messages().size(), 1u) << errors.All();
    EXPECT_NE(errors.All().find("'assure' failed: uint32_t(vertices.Num()) >= vertexCount"), std::string::npos)
        << errors.All();
    EXPECT_TRUE(ProgressEnded());
}

// Poses that are long and thin, or small; the ones whose inverse a float
// cannot hold end the export as a flat one does, in place of writing inf.
struct PoseScaleCase {
    const char* name;
    float axes[3]; // lengths of the three axes
    int code;
};

void PrintTo(const PoseScaleCase& row, std::ostream* out) {
    *out << row.name;
}

const PoseScaleCase kPoseScaleCases[] = {
    {"TenLongAndAHundredthThin", {10.0f, 0.01f, 0.01f}, 0},
    {"AThousandthOfItsSize", {1e-3f, 1e-3f, 1e-3f}, 0},
    {"ATenthOfAPicometre", {1e-13f, 1e-13f, 1e-13f}, 1},
};

class PoseScale : public QuarroExporterTest, public ::testing::WithParamInterface<PoseScaleCase> {};

TEST_P(PoseScale, ExportsTheInverseOrEndsTheExport) {
    orlo_test::FailureCapture errors;
    INode* bone = NewBone("Bone", Point3(0, 0, 0));
    Matrix3 tm(TRUE);
    for (int i = 0; i < 3; ++i) {
        Point3 axis(0, 0, 0);
        axis[i] = GetParam().axes[i];
        tm.SetRow(i, axis);
    }
    tm.SetTrans(Point3(1, 2, 3));
    bone->SetNodeTM(Now(), tm);

    const Exported exported = Export();
    ASSERT_EQ(exported.code, GetParam().code) << exported.text << errors.All();
    EXPECT_EQ(exported.text.find("inf"), std::string::npos) << exported.text;
    EXPECT_EQ(exported.text.find("nan"), std::string::npos) << exported.text;
    if (GetParam().code != 0) {
        EXPECT_NE(errors.All().find("'assure' failed: b"), std::string::npos) << errors.All();
        return;
    }
    orlo::UArray<BoneData> bones;
    orlo::UArray<MeshData> meshes;
    ReadBack(exported.text, bones, meshes);
    ASSERT_EQ(bones.Num(), 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(bones[0].invBaseMatrix.m[i][i] * GetParam().axes[i], 1.0f, 1e-3f) << "axis " << i;
}

INSTANTIATE_TEST_SUITE_P(Export, PoseScale, ::testing::ValuesIn(kPoseScaleCases),
                         [](const ::testing::TestParamInfo<PoseScaleCase>& info) { return info.param.name; });

} // namespace

namespace {

orlo::TVector3<float> Through(const TMatrix4<float>& m, const orlo::TVector3<float>& v) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2]};
}

// A mesh skinned to a hip and a knee, and the frames the test put them in
// at the skin's reference frame: the exported bind pose must be consistent
// with those, whatever moved, stretched or was keyed elsewhere since.
class QuarroExporterBindTest : public QuarroExporterTest {
protected:
    void BuildBones() {
        m_hip = NewBone("Hip", Point3(0, 0, 0));
        Matrix3 hipAt = RotateZMatrix(0.5f) * TransMatrix(Point3(1, 2, 3));
        m_hip->SetNodeTM(Now(), hipAt);
        m_knee = NewBone("Knee", Point3(0, 0, 0));
        Matrix3 kneeAt = TransMatrix(Point3(4, 0, 0)) * hipAt;
        m_knee->SetNodeTM(Now(), kneeAt);
        m_hip->AttachChild(m_knee, TRUE);
        m_mesh = NewMeshNode("Skin");
        Matrix3 meshAt = RotateXMatrix(0.3f) * TransMatrix(Point3(0, 1, 2));
        m_mesh->SetNodeTM(Now(), meshAt);
        m_mesh->SetObjOffsetPos(Point3(0, 0, -1));
    }

    // The skin, its reference frame set before any bone is added.
    Modifier* Bind(TimeValue refFrame = 0) {
        IDerivedObject* d = CreateDerivedObject(m_mesh->GetObjectRef());
        Modifier* skin = static_cast<Modifier*>(Host()->CreateInstance(OSM_CLASS_ID, SKIN_CLASSID));
        static_cast<maxsim::SkinModifier*>(skin)->SetRefFrame(refFrame);
        d->AddModifier(skin);
        m_mesh->SetObjectRef(d);
        ISkinImportData* import = static_cast<ISkinImportData*>(skin->GetInterface(I_SKINIMPORTDATA));
        import->AddBoneEx(m_hip, FALSE);
        import->AddBoneEx(m_knee, TRUE);
        skin->ReleaseInterface(I_SKINIMPORTDATA, import);
        m_mesh->EvalWorldState(Now());
        EXPECT_TRUE(SetWeights(skin, m_mesh, 0, {m_hip}, {1.0f}));
        EXPECT_TRUE(SetWeights(skin, m_mesh, 1, {m_hip, m_knee}, {0.5f, 0.5f}));
        EXPECT_TRUE(SetWeights(skin, m_mesh, 2, {m_knee}, {1.0f}));
        EXPECT_TRUE(SetWeights(skin, m_mesh, 3, {m_hip}, {1.0f}));
        EXPECT_TRUE(SetWeights(skin, m_mesh, 4, {m_knee}, {1.0f}));
        return skin;
    }

    // Each exported bind-pose vertex, through the inverse bind matrix of each
    // bone that weighs it, is the mesh's point in that bone's frame.
    void ExpectBindPoseInBoneFrames(const Matrix3& meshAtBind, const Matrix3& hipAtBind, const Matrix3& kneeAtBind) {
        const Exported exported = Export();
        ASSERT_EQ(exported.code, 0);
        orlo::UArray<BoneData> bones;
        orlo::UArray<MeshData> meshes;
        ReadBack(exported.text, bones, meshes);
        ASSERT_EQ(bones.Num(), 2);
        ASSERT_EQ(meshes.Num(), 1);
        const MeshData& mesh = meshes[0];
        PolyObject* base = NewQuadAndTriangle();
        ASSERT_EQ(mesh.vertices.Num(), base->mm.numv);
        ASSERT_EQ(mesh.vertexWeightCounts.Num(), base->mm.numv);
        int w = 0;
        for (int v = 0; v < base->mm.numv; ++v) {
            for (unsigned k = 0; k < mesh.vertexWeightCounts[v]; ++k, ++w) {
                const BoneData& bone = bones[mesh.weights[w].boneIndex];
                const bool hip = std::string(bone.name.c_str()) == "Hip";
                const Matrix3 frame = hip ? hipAtBind : kneeAtBind;
                const orlo::TVector3<float> rest = Through(bone.invBaseMatrix, mesh.vertices[v]);
                const Point3 expected = base->mm.v[v].p * meshAtBind * Inverse(frame);
                SCOPED_TRACE(std::string("vertex ") + std::to_string(v) + " in " + bone.name.c_str());
                ExpectNear(Point3(rest.x, rest.y, rest.z), expected, 2e-4f);
            }
        }
        EXPECT_EQ(w, mesh.weights.Num());
        base->DeleteThis();
    }

    INode* m_hip = nullptr;
    INode* m_knee = nullptr;
};

} // namespace

TEST_F(QuarroExporterBindTest, AMeshMovedAfterBindingKeepsItsBindPose) {
    BuildBones();
    const Matrix3 meshAtBind = m_mesh->GetObjectTM(Now());
    const Matrix3 hipAtBind = m_hip->GetNodeTM(Now());
    const Matrix3 kneeAtBind = m_knee->GetNodeTM(Now());
    Bind();
    Matrix3 away = RotateYMatrix(1.0f) * TransMatrix(Point3(9, -3, 0));
    m_mesh->SetNodeTM(Now(), away);
    ExpectBindPoseInBoneFrames(meshAtBind, hipAtBind, kneeAtBind);
}

// The hip stretches to twice its length as the knee moves out along its
// axis before binding: its bind frame is the stretch times its node frame.
TEST_F(QuarroExporterBindTest, AStretchedBoneBindsWithItsStretch) {
    BuildBones();
    m_hip->SetBoneNodeOnOff(TRUE, Now());
    m_hip->SetBoneFreezeLen(FALSE);
    m_hip->SetBoneScaleType(BONE_SCALETYPE_SCALE);
    m_hip->SetBoneAxis(BONE_AXIS_X);
    Matrix3 pulled = TransMatrix(Point3(8, 0, 0)) * m_hip->GetNodeTM(Now());
    m_knee->SetNodeTM(Now(), pulled);
    const Matrix3 meshAtBind = m_mesh->GetObjectTM(Now());
    const Matrix3 hipAtBind = ScaleMatrix(Point3(2, 1, 1)) * m_hip->GetNodeTM(Now());
    const Matrix3 kneeAtBind = m_knee->GetNodeTM(Now());
    Bind();
    // Stretched further after binding: the bind pose does not follow.
    Matrix3 further = TransMatrix(Point3(12, 0, 0)) * m_hip->GetNodeTM(Now());
    m_knee->SetNodeTM(Now(), further);
    ExpectBindPoseInBoneFrames(meshAtBind, hipAtBind, kneeAtBind);
}

// Bones and mesh are keyed to stand elsewhere at frame 160; the bind pose is
// the one at the skin's reference frame, whatever the current time.
TEST_F(QuarroExporterBindTest, TheBindPoseIsTheReferenceFramesAtAnyCurrentTime) {
    const std::pair<TimeValue, TimeValue> cases[] = {{0, 160}, {160, 0}, {160, 320}};
    for (const auto& [refFrame, now] : cases) {
        SCOPED_TRACE("reference frame " + std::to_string(refFrame) + ", current time " + std::to_string(now));
        maxsim::HostInterface::Instance().Reset();
        BuildBones();
        Matrix3 at[2][3] = {{m_mesh->GetNodeTM(0), m_hip->GetNodeTM(0), m_knee->GetNodeTM(0)}, {}};
        at[1][0] = RotateZMatrix(1.0f) * TransMatrix(Point3(-2, 0, 5));
        at[1][1] = RotateYMatrix(0.7f) * TransMatrix(Point3(3, 3, 3));
        at[1][2] = TransMatrix(Point3(4, 0, 0)) * at[1][1];
        INode* nodes[3] = {m_mesh, m_hip, m_knee};
        for (int n = 0; n < 3; ++n) {
            static_cast<maxsim::SceneNode*>(nodes[n])->SetNodeTMKey(0, at[0][n]);
            static_cast<maxsim::SceneNode*>(nodes[n])->SetNodeTMKey(160, at[1][n]);
        }
        const int ref = refFrame == 0 ? 0 : 1;
        const Matrix3 meshAtBind = TransMatrix(Point3(0, 0, -1)) * at[ref][0];
        Host()->SetTime(now);
        Bind(refFrame);
        ExpectBindPoseInBoneFrames(meshAtBind, at[ref][1], at[ref][2]);
    }
}

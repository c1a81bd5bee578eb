#include "KitsFixture.h"

#include "merrow/Platform/3dsmax/Kits/HBoneKit.h"
#include "merrow/Platform/3dsmax/Kits/HMatrixConversion.h"
#include "merrow/Platform/3dsmax/Kits/HPolygonMeshKit.h"
#include "merrow/Platform/3dsmax/Kits/HSkinAccess.h"

using merrow::platform_3dsmax::HBoneKit;
using merrow::platform_3dsmax::HMatrixConversion;
using merrow::platform_3dsmax::HObject;
using merrow::platform_3dsmax::HPolygonMeshKit;
using merrow::platform_3dsmax::HSkinAccess;
using merrow::platform_3dsmax::HStatus;
using merrow::platform_3dsmax::POSE_BIND;
using merrow::platform_3dsmax::POSE_CURRENT;
using orlo::TMatrix4;
using orlo::TVector2;
using orlo::TVector3;
using orlo::UArray;
using MeshKit = HPolygonMeshKit<float>;

namespace {

Matrix3 Posed(float angle, const Point3& at) {
    Matrix3 tm = RotateZMatrix(angle) * RotateXMatrix(0.2f);
    tm.SetTrans(at);
    return tm;
}

} // namespace

TEST_F(KitsTest, FindModifierSearchesTheStackFromTheTop) {
    INode* mesh = NewMeshNode("mesh");
    EXPECT_EQ(HSkinAccess::FindModifier(nullptr, SKIN_CLASSID), nullptr);
    EXPECT_EQ(HSkinAccess::FindModifier(mesh, SKIN_CLASSID), nullptr);
    Modifier* lower = AddSkin(mesh, {});
    EXPECT_EQ(HSkinAccess::FindModifier(mesh, SKIN_CLASSID), lower);
    // A second derived object above the first: its skin is found first.
    Modifier* upper = AddSkin(mesh, {});
    EXPECT_EQ(HSkinAccess::FindModifier(mesh, SKIN_CLASSID), upper);
    EXPECT_EQ(HSkinAccess::FindModifier(mesh, Class_ID(1, 2)), nullptr);
}

TEST_F(KitsTest, WithoutASkinTheSkinReadersAnswerTheirDefaults) {
    INode* mesh = NewMeshNode("mesh");
    INode* bone = NewBone("bone", Point3(1, 0, 0));
    MeshKit kit(Handle(mesh));
    UArray<HObject> bones = Arr({HObject::FromIndex(9)});
    UArray<float> weights = Arr({0.5f});
    UArray<unsigned int> indices = Arr({3u}), counts = Arr({4u});
    EXPECT_EQ(kit.GetBones(bones).GetCode(), HStatus::FAILED);
    EXPECT_EQ(bones.Num(), 1);
    EXPECT_EQ(kit.GetNumWeights(), 0u);
    EXPECT_EQ(kit.GetWeights(weights, indices, counts).GetCode(), HStatus::FAILED);
    EXPECT_EQ(Vec(weights), std::vector<float>{0.5f});
    HBoneKit boneKit(Handle(bone));
    EXPECT_EQ(HSkinAccess::GetBindMatrix(Handle(mesh), boneKit), TMatrix4<float>::Identity());
    EXPECT_EQ(kit.SetWeights(weights, indices, counts).GetCode(), HStatus::FAILED);
}

TEST_F(KitsTest, ASkinWithoutDataForTheNodeGivesNoWeights) {
    INode* mesh = NewMeshNode("mesh");
    INode* bone = NewBone("bone", Point3(1, 0, 0));
    IDerivedObject* d = CreateDerivedObject(mesh->GetObjectRef());
    Modifier* skin = static_cast<Modifier*>(Host()->CreateInstance(OSM_CLASS_ID, SKIN_CLASSID));
    skin->SetAFlag(A_MOD_DISABLED); // never runs, so it never gets data for the node
    d->AddModifier(skin);
    mesh->SetObjectRef(d);
    ISkinImportData* import = static_cast<ISkinImportData*>(skin->GetInterface(I_SKINIMPORTDATA));
    import->AddBoneEx(bone, TRUE);
    skin->ReleaseInterface(I_SKINIMPORTDATA, import);

    MeshKit kit(Handle(mesh));
    UArray<float> weights = Arr({0.5f});
    UArray<unsigned int> indices = Arr({3u}), counts = Arr({4u});
    EXPECT_EQ(kit.GetWeights(weights, indices, counts).GetCode(), HStatus::DONE);
    EXPECT_EQ(Vec(weights), std::vector<float>{0.5f});
    EXPECT_EQ(Vec(indices), std::vector<unsigned>{3});
    EXPECT_EQ(Vec(counts), std::vector<unsigned>{4});
    EXPECT_EQ(kit.GetNumWeights(), 0u);
    UArray<HObject> bones;
    ASSERT_EQ(kit.GetBones(bones).GetCode(), HStatus::DONE);
    ASSERT_EQ(bones.Num(), 1);
    EXPECT_EQ(bones[0].GetNode(), bone);
}

TEST_F(KitsTest, BonesComeInTheSkinsOrderAndWeightsIndexThatList) {
    INode* mesh = NewMeshNode("mesh");
    INode* a = NewBone("a", Point3(0, 0, 0));
    INode* b = NewBone("b", Point3(1, 0, 0));
    INode* c = NewBone("c", Point3(2, 0, 0));
    Modifier* skin = AddSkin(mesh, {c, a, b});
    ASSERT_TRUE(SetWeights(skin, mesh, 0, {a, c}, {0.25f, 0.75f}));
    ASSERT_TRUE(SetWeights(skin, mesh, 2, {b}, {1.0f}));

    MeshKit kit(Handle(mesh));
    UArray<HObject> bones;
    ASSERT_EQ(kit.GetBones(bones).GetCode(), HStatus::DONE);
    ASSERT_EQ(bones.Num(), 3);
    EXPECT_EQ(bones[0].GetNode(), c);
    EXPECT_EQ(bones[1].GetNode(), a);
    EXPECT_EQ(bones[2].GetNode(), b);
    EXPECT_EQ(kit.GetNumWeights(), 3u);
    UArray<float> weights;
    UArray<unsigned int> indices, counts;
    ASSERT_EQ(kit.GetWeights(weights, indices, counts).GetCode(), HStatus::DONE);
    EXPECT_EQ(Vec(counts), (std::vector<unsigned>{2, 0, 1, 0, 0}));
    ASSERT_EQ(indices.Num(), 3);
    // Slots of the skin's own list: a is 1, c is 0, b is 2.
    std::vector<std::pair<unsigned, float>> first{{indices[0], weights[0]}, {indices[1], weights[1]}};
    std::sort(first.begin(), first.end());
    EXPECT_EQ(first, (std::vector<std::pair<unsigned, float>>{{0u, 0.75f}, {1u, 0.25f}}));
    EXPECT_EQ(indices[2], 2u);
    EXPECT_EQ(weights[2], 1.0f);
}

TEST_F(KitsTest, BindMatricesComeFromEachMeshsSkin) {
    INode* bone = NewBone("bone", Point3(0, 0, 0));
    const Matrix3 first = Posed(0.3f, Point3(1, 2, 3));
    bone->SetNodeTM(Now(), const_cast<Matrix3&>(first));
    INode* meshA = NewMeshNode("a");
    AddSkin(meshA, {bone});
    const Matrix3 second = Posed(-1.1f, Point3(-4, 0, 2));
    bone->SetNodeTM(Now(), const_cast<Matrix3&>(second));
    INode* meshB = NewMeshNode("b");
    AddSkin(meshB, {bone});
    const Matrix3 current = Posed(2.0f, Point3(9, 9, 9));
    bone->SetNodeTM(Now(), const_cast<Matrix3&>(current));

    HBoneKit boneKit(Handle(bone));
    ExpectMatrixNear(HSkinAccess::GetBindMatrix(Handle(meshA), boneKit), HMatrixConversion::ToMatrix4(first));
    ExpectMatrixNear(HSkinAccess::GetBindMatrix(Handle(meshB), boneKit), HMatrixConversion::ToMatrix4(second));
    // A bone the skin does not know: its current world transform.
    INode* stranger = NewBone("stranger", Point3(5, 5, 5));
    HBoneKit strangerKit(Handle(stranger));
    ExpectMatrixNear(HSkinAccess::GetBindMatrix(Handle(meshA), strangerKit),
                     HMatrixConversion::ToMatrix4(stranger->GetNodeTM(Now())));
    HBoneKit noBone;
    EXPECT_EQ(HSkinAccess::GetBindMatrix(Handle(meshA), noBone), TMatrix4<float>::Identity());
}

TEST_F(KitsTest, AddSkinBindsTheBonesUpdatingOnceAtTheEnd) {
    INode* mesh = NewMeshNode("mesh");
    INode* a = NewBone("a", Point3(0, 0, 0));
    INode* b = NewBone("b", Point3(1, 0, 0));
    INode* c = NewBone("c", Point3(2, 0, 0));
    MeshKit kit(Handle(mesh));
    EXPECT_EQ(kit.AddSkin(UArray<HObject>()).GetCode(), HStatus::NOT_SUPPORTED);
    EXPECT_EQ(HSkinAccess::FindModifier(mesh, SKIN_CLASSID), nullptr);
    EXPECT_EQ(MeshKit().AddSkin(Arr({Handle(a)})).GetCode(), HStatus::FAILED);

    ASSERT_EQ(kit.AddSkin(Arr({Handle(a), Handle(b), Handle(c)})).GetCode(), HStatus::DONE);
    Modifier* skin = HSkinAccess::FindModifier(mesh, SKIN_CLASSID);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(mesh->GetObjectRef()->SuperClassID(), GEN_DERIVOB_CLASS_ID);
    EXPECT_EQ(AddBoneUpdates(skin), (std::vector<BOOL>{FALSE, FALSE, TRUE}));
    EXPECT_FALSE(mesh->GetObjectRef()->TestAFlag(A_LOCK_TARGET));
    UArray<HObject> bones;
    ASSERT_EQ(kit.GetBones(bones).GetCode(), HStatus::DONE);
    EXPECT_EQ(bones.Num(), 3);

    // A second skin goes onto the same stack, above the first.
    Object* stack = mesh->GetObjectRef();
    ASSERT_EQ(kit.AddSkin(Arr({Handle(c)})).GetCode(), HStatus::DONE);
    EXPECT_EQ(mesh->GetObjectRef(), stack);
    EXPECT_EQ(static_cast<IDerivedObject*>(stack)->NumModifiers(), 2);
    EXPECT_NE(HSkinAccess::FindModifier(mesh, SKIN_CLASSID), skin);
}

TEST_F(KitsTest, SetWeightsConsumesTheListsByCounts) {
    INode* mesh = NewMeshNode("mesh");
    INode* a = NewBone("a", Point3(0, 0, 0));
    INode* b = NewBone("b", Point3(1, 0, 0));
    MeshKit kit(Handle(mesh));
    ASSERT_EQ(kit.AddSkin(Arr({Handle(a), Handle(b)})).GetCode(), HStatus::DONE);
    ASSERT_EQ(kit.SetWeights(Arr({0.25f, 0.75f, 1.0f}), Arr({0u, 1u, 1u}), Arr({2u, 0u, 1u})).GetCode(), HStatus::DONE);
    UArray<float> weights;
    UArray<unsigned int> indices, counts;
    ASSERT_EQ(kit.GetWeights(weights, indices, counts).GetCode(), HStatus::DONE);
    EXPECT_EQ(Vec(counts), (std::vector<unsigned>{2, 0, 1, 0, 0}));
    EXPECT_EQ(Vec(indices), (std::vector<unsigned>{0, 1, 1}));
    EXPECT_EQ(Vec(weights), (std::vector<float>{0.25f, 0.75f, 1.0f}));
}

TEST_F(KitsTest, SetWeightsRefusesListsThatDoNotFitBeforeChangingAnything) {
    INode* mesh = NewMeshNode("mesh");
    INode* a = NewBone("a", Point3(0, 0, 0));
    MeshKit kit(Handle(mesh));
    ASSERT_EQ(kit.AddSkin(Arr({Handle(a)})).GetCode(), HStatus::DONE);
    struct Case {
        const char* what;
        UArray<float> weights;
        UArray<unsigned int> indices;
        UArray<unsigned int> counts;
        int32_t code;
    } cases[] = {
        {"counts past the weights", Arr({1.0f}), Arr({0u, 0u}), Arr({1u, 1u}), HStatus::FAILED},
        {"counts past the bone indices", Arr({1.0f, 1.0f}), Arr({0u}), Arr({1u, 1u}), HStatus::FAILED},
        {"bone the skin does not have", Arr({1.0f, 1.0f}), Arr({0u, 1u}), Arr({1u, 1u}), HStatus::FAILED},
        {"no weights", UArray<float>(), Arr({0u}), Arr({1u}), HStatus::NOT_SUPPORTED},
        {"no bone indices", Arr({1.0f}), UArray<unsigned int>(), Arr({1u}), HStatus::NOT_SUPPORTED},
        {"no counts", Arr({1.0f}), Arr({0u}), UArray<unsigned int>(), HStatus::NOT_SUPPORTED},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kit.SetWeights(c.weights, c.indices, c.counts).GetCode(), c.code) << c.what;
        EXPECT_EQ(kit.GetNumWeights(), 0u) << c.what;
    }
    // A skin without bones takes no weights.
    INode* other = NewMeshNode("other");
    AddSkin(other, {});
    MeshKit otherKit(Handle(other));
    EXPECT_EQ(otherKit.SetWeights(Arr({1.0f}), Arr({0u}), Arr({1u})).GetCode(), HStatus::NOT_SUPPORTED);
}

// A mesh built through the kits alone, with normals, two channels and a
// skin, reads back as written.
TEST_F(KitsTest, RoundTripThroughTheKits) {
    HBoneKit root;
    ASSERT_EQ(root.CreateBone(HObject()).GetCode(), HStatus::DONE);
    HBoneKit tip;
    ASSERT_EQ(tip.CreateBone(root.GetObject()).GetCode(), HStatus::DONE);
    TMatrix4<float> at = TMatrix4<float>::Identity();
    at.m[3][0] = 2;
    ASSERT_EQ(tip.SetTransformationMatrix(at, 0).GetCode(), HStatus::DONE);

    const UArray<TVector3<float>> vertices =
        Arr<TVector3<float>>({{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {0, 1, 0}, {3, 0, 0}});
    const UArray<unsigned int> indices = Arr({0u, 1u, 2u, 3u, 1u, 4u, 2u});
    const UArray<unsigned int> counts = Arr({4u, 3u});
    const UArray<TVector3<float>> normals = Arr<TVector3<float>>({{0, 0, 1}, {0, 0.6f, 0.8f}});
    const UArray<unsigned int> normalIndices = Arr({0u, 0u, 1u, 1u, 1u, 0u, 0u});
    const UArray<TVector2<float>> uv0 = Arr<TVector2<float>>({{0, 0}, {1, 0}, {1, 1}});
    const UArray<unsigned int> uvIndices0 = Arr({0u, 1u, 2u, 2u, 1u, 0u, 2u});
    const UArray<TVector2<float>> uv1 = Arr<TVector2<float>>({{0.5f, 0.5f}, {0.25f, 0.75f}});
    const UArray<unsigned int> uvIndices1 = Arr({0u, 1u, 0u, 1u, 0u, 1u, 0u});
    const UArray<HObject> bones = Arr({root.GetObject(), tip.GetObject()});
    const UArray<float> weights = Arr({1.0f, 0.5f, 0.5f, 1.0f, 1.0f, 1.0f});
    const UArray<unsigned int> boneIndices = Arr({0u, 0u, 1u, 1u, 1u, 0u});
    const UArray<unsigned int> weightCounts = Arr({1u, 2u, 1u, 1u, 1u});

    MeshKit kit;
    ASSERT_EQ(kit.CreateMesh(vertices, indices, counts, HObject()).GetCode(), HStatus::DONE);
    ASSERT_EQ(kit.SetNormals(normals, normalIndices).GetCode(), HStatus::DONE);
    ASSERT_EQ(kit.AddTextureCoordinateSet().GetCode(), HStatus::DONE);
    ASSERT_EQ(kit.AddTextureCoordinateSet().GetCode(), HStatus::DONE);
    ASSERT_EQ(kit.SetTextureCoordinates(uv0, uvIndices0, 0).GetCode(), HStatus::DONE);
    ASSERT_EQ(kit.SetTextureCoordinates(uv1, uvIndices1, 1).GetCode(), HStatus::DONE);
    ASSERT_EQ(kit.SetName("Tube").GetCode(), HStatus::DONE);
    ASSERT_EQ(kit.AddSkin(bones).GetCode(), HStatus::DONE);
    ASSERT_EQ(kit.SetWeights(weights, boneIndices, weightCounts).GetCode(), HStatus::DONE);

    // Read back through a fresh kit over the node, in the bind pose.
    MeshKit reader(kit.GetObject());
    ASSERT_EQ(reader.SetPoseMode(POSE_BIND).GetCode(), HStatus::DONE);
    UArray<TVector3<float>> v, n;
    UArray<TVector2<float>> t0, t1;
    UArray<unsigned int> c, i, ni, ti0, ti1, wc, bi;
    UArray<float> w;
    UArray<HObject> b;
    ASSERT_EQ(reader.GetVertices(v).GetCode(), HStatus::DONE);
    ASSERT_EQ(reader.GetPolygons(c, i).GetCode(), HStatus::DONE);
    ASSERT_EQ(reader.GetNormals(n).GetCode(), HStatus::DONE);
    ASSERT_EQ(reader.GetPolygonNormalIndices(ni).GetCode(), HStatus::DONE);
    ASSERT_EQ(reader.GetNumTextureCoordinateSets(), 2u);
    ASSERT_EQ(reader.GetTextureCoordinates(0, t0).GetCode(), HStatus::DONE);
    ASSERT_EQ(reader.GetTextureCoordinates(1, t1).GetCode(), HStatus::DONE);
    ASSERT_EQ(reader.GetPolygonTexCoordIndices(0, ti0).GetCode(), HStatus::DONE);
    ASSERT_EQ(reader.GetPolygonTexCoordIndices(1, ti1).GetCode(), HStatus::DONE);
    ASSERT_EQ(reader.GetBones(b).GetCode(), HStatus::DONE);
    ASSERT_EQ(reader.GetWeights(w, bi, wc).GetCode(), HStatus::DONE);
    EXPECT_EQ(Vec(v), Vec(vertices));
    EXPECT_EQ(Vec(c), Vec(counts));
    EXPECT_EQ(Vec(i), Vec(indices));
    ASSERT_EQ(n.Num(), normals.Num());
    for (int k = 0; k < n.Num(); ++k)
        ExpectNear(Point3(n[k].x, n[k].y, n[k].z), Point3(normals[k].x, normals[k].y, normals[k].z));
    EXPECT_EQ(Vec(ni), Vec(normalIndices));
    EXPECT_EQ(Vec(t0), Vec(uv0));
    EXPECT_EQ(Vec(t1), Vec(uv1));
    EXPECT_EQ(Vec(ti0), Vec(uvIndices0));
    EXPECT_EQ(Vec(ti1), Vec(uvIndices1));
    ASSERT_EQ(b.Num(), 2);
    EXPECT_TRUE(b[0] == bones[0]);
    EXPECT_TRUE(b[1] == bones[1]);
    EXPECT_EQ(Vec(wc), Vec(weightCounts));
    EXPECT_EQ(Vec(bi), Vec(boneIndices));
    EXPECT_EQ(Vec(w), Vec(weights));
    EXPECT_STREQ(kit.GetObject().GetNode()->GetName(), "Tube");
    HBoneKit tipAgain(tip.GetObject());
    ExpectMatrixNear(HSkinAccess::GetBindMatrix(kit.GetObject(), tipAgain), at);
}

// The bind pose is read through the skin's record of the mesh's object
// transform, not the node's transform now: positions and normals of a mesh
// turned and moved after binding come out where they were bound. The current
// pose keeps the node's transform.
TEST_F(KitsTest, TheBindPoseIsPlacedWhereTheSkinBoundTheMesh) {
    INode* bone = NewBone("bone", Point3(1, 0, 0));
    INode* mesh = NewMeshNode("mesh");
    Matrix3 boundAt = Posed(0.4f, Point3(0, 2, 0));
    mesh->SetNodeTM(Now(), boundAt);
    mesh->SetObjOffsetPos(Point3(0, 0, 1));
    const Matrix3 objectAtBind = mesh->GetObjectTM(Now());
    Modifier* skin = AddSkin(mesh, {bone});
    for (int v = 0; v < 5; ++v)
        ASSERT_TRUE(SetWeights(skin, mesh, v, {bone}, {1.0f}));
    Matrix3 recorded(TRUE);
    ASSERT_TRUE(HSkinAccess::GetMeshBindTransform(mesh, recorded));
    EXPECT_TRUE(recorded.Equals(objectAtBind));

    Matrix3 movedTo = Posed(-1.1f, Point3(7, 0, -3));
    mesh->SetNodeTM(Now(), movedTo);
    MeshKit kit(Handle(mesh));
    EXPECT_TRUE(kit.GetObjectTransformationMatrix().Equals(mesh->GetObjectTM(Now())));
    ASSERT_EQ(kit.SetPoseMode(POSE_BIND).GetCode(), HStatus::DONE);
    EXPECT_TRUE(kit.GetObjectTransformationMatrix().Equals(objectAtBind));
    UArray<TVector3<float>> vertices, normals;
    ASSERT_EQ(kit.GetVertices(vertices).GetCode(), HStatus::DONE);
    ASSERT_EQ(kit.GetNormals(normals).GetCode(), HStatus::DONE);
    PolyObject* base = NewQuadAndTriangle();
    ASSERT_EQ(vertices.Num(), base->mm.numv);
    for (int v = 0; v < base->mm.numv; ++v)
        ExpectNear(Point3(vertices[v].x, vertices[v].y, vertices[v].z), objectAtBind.PointTransform(base->mm.v[v].p));
    base->DeleteThis();
    // The flat mesh's normals face its object's z axis as it was bound.
    const Point3 up = Normalize(objectAtBind.VectorTransform(Point3(0, 0, 1)));
    ASSERT_GT(normals.Num(), 0);
    for (int n = 0; n < normals.Num(); ++n)
        ExpectNear(Point3(normals[n].x, normals[n].y, normals[n].z), up);
    ASSERT_EQ(kit.SetPoseMode(POSE_CURRENT).GetCode(), HStatus::DONE);
    EXPECT_TRUE(kit.GetObjectTransformationMatrix().Equals(mesh->GetObjectTM(Now())));
}

TEST_F(KitsTest, WithoutASkinThereIsNoMeshBindTransform) {
    INode* mesh = NewMeshNode("mesh");
    const Matrix3 untouched = Posed(0.3f, Point3(1, 1, 1));
    Matrix3 out = untouched;
    EXPECT_FALSE(HSkinAccess::GetMeshBindTransform(nullptr, out));
    EXPECT_FALSE(HSkinAccess::GetMeshBindTransform(mesh, out));
    EXPECT_TRUE(out == untouched);
}

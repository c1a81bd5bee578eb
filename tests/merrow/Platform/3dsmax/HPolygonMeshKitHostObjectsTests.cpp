#include "KitsFixture.h"

#include <cmath>

#include "max.h"

#include "merrow/Platform/3dsmax/Kits/HPolygonMeshKit.h"
#include "merrow/Platform/3dsmax/Kits/HSkinAccess.h"

// The mesh kit among the host's own objects: what a conversion hands back
// is the node's object or the pipeline's result, both read-only for the kit;
// what the kit builds is the node's own object, changed and then announced.
// Every test here also passes the fixture's check that no host rule broke.

using merrow::platform_3dsmax::HObject;
using merrow::platform_3dsmax::HPolygonMeshKit;
using merrow::platform_3dsmax::HSkinAccess;
using merrow::platform_3dsmax::HStatus;
using merrow::platform_3dsmax::POSE_BIND;
using merrow::platform_3dsmax::POSE_CURRENT;
using orlo::TVector2;
using orlo::TVector3;
using orlo::UArray;
using MeshKit = HPolygonMeshKit<float>;

namespace {

Point3 P(const TVector3<float>& v) {
    return Point3(v.x, v.y, v.z);
}

} // namespace

class MeshHostObjectsTest : public KitsTest {
protected:
    // Six points, the second dead; a quad and a triangle over the live ones,
    // and a dead triangle that still names the dead point.
    static PolyObject* NewMeshWithDeadParts() {
        PolyObject* p = NewPoly();
        const float xyz[6][3] = {{0, 0, 0}, {9, 9, 9}, {2, 0, 0}, {2, 1, 0}, {0, 1, 0}, {3, 0, 0}};
        for (auto& c : xyz) {
            Point3 v(c[0], c[1], c[2]);
            p->mm.NewVert(v);
        }
        p->mm.VEdgeAlloc();
        p->mm.VFaceAlloc();
        int quad[4] = {0, 2, 3, 4};
        int tri[3] = {2, 5, 3};
        int dead[3] = {0, 1, 2};
        p->mm.CreateFace(4, quad);
        p->mm.CreateFace(3, dead);
        p->mm.CreateFace(3, tri);
        p->mm.V(1)->SetFlag(MN_DEAD);
        p->mm.F(1)->SetFlag(MN_DEAD);
        p->mm.FillInMesh();
        return p;
    }

    // A skin whose one bone weighs every point fully and has since risen by
    // 3 along z: the current pose lies 3 above the bind pose.
    static Modifier* SkinOnALiftedBone(INode* mesh) {
        const int points = mesh->GetObjectRef()->NumPoints();
        INode* bone = NewBone("bone", Point3(0, 0, 0));
        Modifier* skin = AddSkin(mesh, {bone});
        for (int v = 0; v < points; ++v)
            EXPECT_TRUE(SetWeights(skin, mesh, v, {bone}, {1.0f}));
        Matrix3 lifted(TRUE);
        lifted.SetTrans(Point3(0, 0, 3));
        bone->SetNodeTM(Now(), lifted);
        return skin;
    }
};

// The skin still counts the dead point; the kit hands out the mesh without
// it, so the weights must skip it too, and the user's object keeps all six
// points in either pose.
TEST_F(MeshHostObjectsTest, DeadPartsOfASkinnedMeshGoFromTheKitsCopyAndTheWeightsFollow) {
    for (int pose : {POSE_CURRENT, POSE_BIND}) {
        KitsTest::TearDown();
        KitsTest::SetUp();
        PolyObject* base = NewMeshWithDeadParts();
        INode* mesh = NewNode(base, "skinned");
        INode* b0 = NewBone("b0", Point3(0, 0, 0));
        INode* b1 = NewBone("b1", Point3(2, 0, 0));
        Modifier* skin = AddSkin(mesh, {b0, b1});
        ASSERT_TRUE(SetWeights(skin, mesh, 0, {b0}, {1.0f}));
        ASSERT_TRUE(SetWeights(skin, mesh, 1, {b0, b1}, {0.5f, 0.5f}));
        for (int v = 2; v < 6; ++v)
            ASSERT_TRUE(SetWeights(skin, mesh, v, {b1}, {1.0f}));

        MeshKit kit(Handle(mesh));
        ASSERT_EQ(kit.SetPoseMode(pose).GetCode(), HStatus::DONE);
        UArray<TVector3<float>> vertices;
        ASSERT_EQ(kit.GetVertices(vertices).GetCode(), HStatus::DONE) << "pose " << pose;
        ASSERT_EQ(vertices.Num(), 5) << "pose " << pose;
        ExpectNear(P(vertices[4]), Point3(3, 0, 0));
        UArray<unsigned int> counts, indices;
        ASSERT_EQ(kit.GetPolygons(counts, indices).GetCode(), HStatus::DONE);
        EXPECT_EQ(Vec(counts), (std::vector<unsigned>{4, 3}));
        EXPECT_EQ(Vec(indices), (std::vector<unsigned>{0, 1, 2, 3, 1, 4, 2}));

        UArray<float> weights;
        UArray<unsigned int> bones, perVertex;
        ASSERT_EQ(kit.GetWeights(weights, bones, perVertex).GetCode(), HStatus::DONE);
        EXPECT_EQ(Vec(perVertex), (std::vector<unsigned>{1, 1, 1, 1, 1})) << "pose " << pose;
        EXPECT_EQ(Vec(bones), (std::vector<unsigned>{0, 1, 1, 1, 1})) << "pose " << pose;
        EXPECT_EQ(kit.GetNumWeights(), 5u);

        EXPECT_EQ(base->mm.numv, 6);
        EXPECT_EQ(base->mm.numf, 3);
        EXPECT_TRUE(base->mm.V(1)->GetFlag(MN_DEAD));
    }
}

// Normals are built where the kit owns them: the user's mesh keeps its
// specified normals as they were, unbuilt corners and all, and one without
// any gets none.
TEST_F(MeshHostObjectsTest, ReadingNormalsLeavesTheNodesSpecifiedNormalsAsTheyWere) {
    PolyObject* base = NewQuadAndTriangle();
    base->mm.SpecifyNormals();
    MNNormalSpec* spec = base->mm.GetSpecifiedNormals();
    spec->SetNumFaces(base->mm.numf);
    // One specified corner; the others are left for the host to build.
    Point3 up(0, 0, 1);
    spec->SetNormal(0, 0, up);
    INode* node = NewNode(base, "specified");
    INode* plain = NewMeshNode("plain");

    MeshKit kit(Handle(node));
    UArray<TVector3<float>> normals;
    ASSERT_EQ(kit.GetNormals(normals).GetCode(), HStatus::DONE);
    EXPECT_EQ(normals.Num(), 7);
    EXPECT_EQ(spec->GetNumNormals(), 1);
    EXPECT_FALSE(spec->GetFlag(MNNORMAL_NORMALS_BUILT));

    MeshKit plainKit(Handle(plain));
    EXPECT_EQ(plainKit.GetNumNormals(), 7u);
    EXPECT_EQ(static_cast<PolyObject*>(plain->GetObjectRef())->mm.GetSpecifiedNormals(), nullptr);
}

// Channel 0 holds vertex colours and is never a texture set, live or not.
TEST_F(MeshHostObjectsTest, LiveVertexColoursAreNoTextureSet) {
    PolyObject* base = NewQuadAndTriangle();
    MNMesh& mm = base->mm;
    mm.SetMapNum(3);
    mm.InitMap(0); // vertex colours
    mm.InitMap(2);
    for (int i = 0; i < mm.M(2)->numv; ++i)
        mm.M(2)->v[i] = UVVert(0.25f * float(i), 0.5f, 0.0f);
    INode* node = NewNode(base, "coloured");
    MeshKit kit(Handle(node));
    EXPECT_EQ(kit.GetNumTextureCoordinateSets(), 1u);
    UArray<TVector2<float>> uv;
    ASSERT_EQ(kit.GetTextureCoordinates(0, uv).GetCode(), HStatus::DONE);
    ASSERT_EQ(uv.Num(), 5);
    EXPECT_EQ(uv[4].x, 1.0f);
    EXPECT_EQ(kit.GetTextureCoordinates(1, uv).GetCode(), HStatus::FAILED);

    // A set added by the kit lands after the channels there are.
    ASSERT_EQ(kit.AddTextureCoordinateSet().GetCode(), HStatus::DONE);
    EXPECT_EQ(kit.GetNumTextureCoordinateSets(), 2u);
}

// The stack's result is the pipeline's and goes with the stack: the node
// must get a copy of its own, with the points the stack gave.
TEST_F(MeshHostObjectsTest, MakeEditablePolyOnANodeWithModifiersKeepsTheStacksResult) {
    INode* mesh = NewMeshNode("skinned");
    SkinOnALiftedBone(mesh);
    const std::vector<Point3> posed = WorldPoints(mesh);
    ASSERT_EQ(posed.size(), 5u);

    MeshKit kit(Handle(mesh));
    ASSERT_TRUE(kit.MakeEditablePoly());
    Object* object = mesh->GetObjectRef();
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(object->ClassID() == Class_ID(POLYOBJ_CLASS_ID, 0));
    EXPECT_EQ(HSkinAccess::FindModifier(mesh, HSkinAccess::SkinClassID()), nullptr);
    const std::vector<Point3> after = WorldPoints(mesh);
    ASSERT_EQ(after.size(), posed.size());
    for (size_t i = 0; i < after.size(); ++i)
        ExpectNear(after[i], posed[i]);
    EXPECT_EQ(object->GetChannelLocks(), 0u);
}

// The normals go into object space by the transpose of the object
// transform, which undoes reading's inverse transpose exactly; under scale
// and shear the inverse would be another matrix.
TEST_F(MeshHostObjectsTest, SetNormalsUnderScaleAndShearUsesTheTranspose) {
    MeshKit kit;
    ASSERT_EQ(kit.CreateMesh(Arr<TVector3<float>>({{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {0, 1, 0}, {3, 0, 0}}),
                             Arr({0u, 1u, 2u, 3u, 1u, 4u, 2u}), Arr({4u, 3u}), HObject())
                  .GetCode(),
              HStatus::DONE);
    INode* node = kit.GetObject().GetNode();
    Matrix3 sheared(TRUE);
    sheared.SetRow(0, Point3(2, 0, 0));
    sheared.SetRow(1, Point3(0.5f, 1.0f, 0.0f)); // y leans into x
    sheared.SetRow(2, Point3(0.0f, 0.0f, 0.25f));
    sheared.SetTrans(Point3(1, 2, 3));
    node->SetNodeTM(Now(), sheared);
    const Matrix3 m = node->GetObjectTM(Now());

    const UArray<TVector3<float>> world = Arr<TVector3<float>>({{0, 0.6f, 0.8f}, {1, 0, 0}});
    ASSERT_EQ(kit.SetNormals(world, Arr({0u, 0u, 0u, 0u, 1u, 1u, 1u})).GetCode(), HStatus::DONE);
    MNNormalSpec* spec = static_cast<PolyObject*>(node->GetObjectRef())->mm.GetSpecifiedNormals();
    ASSERT_NE(spec, nullptr);
    ASSERT_EQ(spec->GetNumNormals(), 2);
    for (int i = 0; i < 2; ++i) {
        const Point3 w = P(world[i]);
        // w times the transpose of m's 3x3 part: component j is w . row j.
        const Point3 transposed(DotProd(w, m.GetRow(0)), DotProd(w, m.GetRow(1)), DotProd(w, m.GetRow(2)));
        ExpectNear(spec->Normal(i), transposed);
    }
    EXPECT_EQ(spec->GetNormalIndex(1, 2), 1);

    // Read back, each normal points where it was given.
    UArray<TVector3<float>> back;
    ASSERT_EQ(kit.GetNormals(back).GetCode(), HStatus::DONE);
    ASSERT_EQ(back.Num(), 2);
    for (int i = 0; i < 2; ++i)
        ExpectNear(Normalize(P(back[i])), Normalize(P(world[i])));
}

// The host refuses a point out of range: the weights before it stay, the
// status says the whole did not go in, and the host is not told of a change.
TEST_F(MeshHostObjectsTest, SetWeightsStopsWhereTheHostRefuses) {
    INode* mesh = NewMeshNode("mesh");
    INode* bone = NewBone("bone", Point3(0, 0, 0));
    MeshKit kit(Handle(mesh));
    ASSERT_EQ(kit.AddSkin(Arr({Handle(bone)})).GetCode(), HStatus::DONE);
    // Six counts for five points: the sixth AddWeights is refused.
    const HStatus status = kit.SetWeights(Arr({1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f}), Arr({0u, 0u, 0u, 0u, 0u, 0u}),
                                          Arr({1u, 1u, 1u, 1u, 1u, 1u}));
    EXPECT_EQ(status.GetCode(), HStatus::FAILED);
    UArray<float> weights;
    UArray<unsigned int> bones, counts;
    ASSERT_EQ(kit.GetWeights(weights, bones, counts).GetCode(), HStatus::DONE);
    EXPECT_EQ(Vec(counts), (std::vector<unsigned>{1, 1, 1, 1, 1}));
}

// A bind-pose reading rebuilt while bind pose stays on: the old holder puts
// the skin back before the new one takes it off, so the new one knows to
// switch it on again, and the skin is on once the kit is gone.
TEST_F(MeshHostObjectsTest, ABindPoseHolderRebuiltInBindPoseLeavesTheSkinOnAtTheEnd) {
    INode* mesh = NewMeshNode("skinned");
    Modifier* skin = SkinOnALiftedBone(mesh);
    {
        MeshKit kit(Handle(mesh));
        ASSERT_EQ(kit.SetPoseMode(POSE_BIND).GetCode(), HStatus::DONE);
        UArray<TVector3<float>> vertices;
        ASSERT_EQ(kit.GetVertices(vertices).GetCode(), HStatus::DONE);
        EXPECT_FALSE(skin->IsEnabled());
        Host()->SetTime(Now() + 160); // stale: the next reading converts again
        EXPECT_TRUE(kit.IsStale());
        ASSERT_EQ(kit.GetVertices(vertices).GetCode(), HStatus::DONE);
        ExpectNear(P(vertices[2]), Point3(2, 1, 0));
        EXPECT_FALSE(skin->IsEnabled());
    }
    EXPECT_TRUE(skin->IsEnabled());
    ExpectNear(WorldPoints(mesh)[2], Point3(2, 1, 3));
}

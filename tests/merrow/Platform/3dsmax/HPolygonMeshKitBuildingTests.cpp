#include "KitsFixture.h"

#include "merrow/Platform/3dsmax/Kits/HPolygonMeshKit.h"

using merrow::platform_3dsmax::HObject;
using merrow::platform_3dsmax::HPolygonMeshKit;
using merrow::platform_3dsmax::HStatus;
using orlo::TVector2;
using orlo::TVector3;
using orlo::UArray;
using MeshKit = HPolygonMeshKit<float>;

class MeshBuildingTest : public KitsTest {
protected:
    static UArray<TVector3<float>> Vertices() {
        return Arr<TVector3<float>>({{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {0, 1, 0}, {3, 0, 0}});
    }
    static UArray<unsigned int> Indices() { return Arr({0u, 1u, 2u, 3u, 1u, 4u, 2u}); }
    static UArray<unsigned int> Counts() { return Arr({4u, 3u}); }

    static int TopLevelCount() { return Host()->GetRootNode()->NumberOfChildren(); }

    // A quad and a triangle built through the kit.
    static INode* Build(MeshKit& kit, const HObject& parent = HObject()) {
        EXPECT_EQ(kit.CreateMesh(Vertices(), Indices(), Counts(), parent).GetCode(), HStatus::DONE);
        return kit.GetObject().GetNode();
    }
};

TEST_F(MeshBuildingTest, AQuadAndATriangleBecomeANewPolyNode) {
    MeshKit kit;
    const int redraws = RedrawCount();
    INode* node = Build(kit);
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(node->GetParentNode()->IsRootNode());
    EXPECT_TRUE(node->GetObjectRef()->ClassID() == Class_ID(POLYOBJ_CLASS_ID, 0));
    EXPECT_GT(RedrawCount(), redraws);
    EXPECT_GE(InvalidatedObCaches(), 1u);
    const MNMesh& mm = static_cast<PolyObject*>(node->GetObjectRef())->mm;
    ASSERT_EQ(mm.numf, 2);
    EXPECT_EQ(mm.f[0].deg, 4);
    EXPECT_EQ(mm.f[1].deg, 3);
    EXPECT_EQ(mm.f[1].vtx[1], 4);

    UArray<TVector3<float>> vertices;
    UArray<unsigned int> counts, indices;
    ASSERT_EQ(kit.GetVertices(vertices).GetCode(), HStatus::DONE);
    ASSERT_EQ(kit.GetPolygons(counts, indices).GetCode(), HStatus::DONE);
    EXPECT_EQ(vertices.Num(), 5);
    EXPECT_EQ(vertices[4], (TVector3<float>{3, 0, 0}));
    EXPECT_EQ(Vec(counts), Vec(Counts()));
    EXPECT_EQ(Vec(indices), Vec(Indices()));
}

TEST_F(MeshBuildingTest, AMeshBuiltUnderAValidParentIsItsChild) {
    INode* parent = NewMeshNode("parent");
    MeshKit kit;
    INode* node = Build(kit, Handle(parent));
    EXPECT_EQ(node->GetParentNode(), parent);
    // An empty handle or a null node leaves it at the top level.
    MeshKit other;
    EXPECT_TRUE(Build(other, HObject::FromNode(nullptr))->GetParentNode()->IsRootNode());
}

TEST_F(MeshBuildingTest, InputsThatDoNotFitBuildNothing) {
    struct Case {
        const char* what;
        UArray<unsigned int> indices;
        UArray<unsigned int> counts;
    } cases[] = {
        {"six indices", Arr({0u, 1u, 2u, 3u, 1u, 4u}), Counts()},
        {"eight indices", Arr({0u, 1u, 2u, 3u, 1u, 4u, 2u, 0u}), Counts()},
        {"vertex index past the end", Arr({0u, 1u, 2u, 3u, 1u, 5u, 2u}), Counts()},
        {"degenerate polygon", Arr({0u, 1u, 2u, 3u, 1u, 4u, 2u}), Arr({4u, 2u, 1u})},
    };
    for (const Case& c : cases) {
        MeshKit kit;
        EXPECT_EQ(kit.CreateMesh(Vertices(), c.indices, c.counts, HObject()).GetCode(), HStatus::NOT_SUPPORTED)
            << c.what;
        EXPECT_EQ(TopLevelCount(), 0) << c.what;
        EXPECT_EQ(kit.GetObject().GetKind(), HObject::KIND_EMPTY);
    }
}

TEST_F(MeshBuildingTest, MakeEditablePolyReplacesAnObjectThatIsNoPoly) {
    INode* box = NewNode(NewObject(GEOMOBJECT_CLASS_ID, Class_ID(0x3011, 0)), "box");
    MeshKit kit(Handle(box));
    EXPECT_TRUE(kit.MakeEditablePoly());
    EXPECT_TRUE(box->GetObjectRef()->ClassID() == Class_ID(POLYOBJ_CLASS_ID, 0));
    EXPECT_EQ(box->GetObjectRef()->NumPoints(), 8);
    // Already a poly: kept as it is.
    Object* poly = box->GetObjectRef();
    EXPECT_TRUE(kit.MakeEditablePoly());
    EXPECT_EQ(box->GetObjectRef(), poly);

    INode* camera = NewNode(NewObject(CAMERA_CLASS_ID, Class_ID(SIMPLE_CAM_CLASS_ID, 0)), "camera");
    Object* cameraObject = camera->GetObjectRef();
    MeshKit cameraKit(Handle(camera));
    EXPECT_FALSE(cameraKit.MakeEditablePoly());
    EXPECT_EQ(camera->GetObjectRef(), cameraObject);
    EXPECT_FALSE(MeshKit().MakeEditablePoly());
}

TEST_F(MeshBuildingTest, NormalsAreSetExplicitly) {
    MeshKit kit;
    INode* node = Build(kit);
    const UArray<TVector3<float>> normals = Arr<TVector3<float>>({{0, 0, 1}, {0, 0.6f, 0.8f}, {0, 0, 2}});
    const UArray<unsigned int> indices = Arr({0u, 0u, 1u, 1u, 2u, 2u, 0u});
    ASSERT_EQ(kit.SetNormals(normals, indices).GetCode(), HStatus::DONE);
    MNNormalSpec* spec = static_cast<PolyObject*>(node->GetObjectRef())->mm.GetSpecifiedNormals();
    ASSERT_NE(spec, nullptr);
    ASSERT_EQ(spec->GetNumNormals(), 3);
    // An identity object transform stores them unchanged, lengths included.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(spec->Normal(i), Point3(normals[i].x, normals[i].y, normals[i].z));
        EXPECT_TRUE(spec->GetNormalExplicit(i));
    }
    EXPECT_EQ(spec->GetNormalIndex(0, 2), 1);
    EXPECT_EQ(spec->GetNormalIndex(1, 0), 2);
    EXPECT_EQ(spec->GetNormalIndex(1, 2), 0);

    UArray<unsigned int> read;
    ASSERT_EQ(kit.GetPolygonNormalIndices(read).GetCode(), HStatus::DONE);
    EXPECT_EQ(Vec(read), Vec(indices));
}

TEST_F(MeshBuildingTest, NormalsGoBackThroughTheObjectTransform) {
    MeshKit kit;
    INode* node = Build(kit);
    Matrix3 tm = RotateZMatrix(0.9f) * RotateXMatrix(0.4f);
    tm.SetTrans(Point3(5, 6, 7));
    node->SetNodeTM(Now(), tm);
    const UArray<TVector3<float>> normals = Arr<TVector3<float>>({{0, 0, 1}, {0.6f, 0, 0.8f}});
    ASSERT_EQ(kit.SetNormals(normals, Arr({0u, 0u, 0u, 0u, 1u, 1u, 1u})).GetCode(), HStatus::DONE);
    // A rotation reads back exactly as written.
    UArray<TVector3<float>> read;
    ASSERT_EQ(kit.GetNormals(read).GetCode(), HStatus::DONE);
    ASSERT_EQ(read.Num(), 2);
    for (int i = 0; i < 2; ++i)
        ExpectNear(Point3(read[i].x, read[i].y, read[i].z), Point3(normals[i].x, normals[i].y, normals[i].z));
    // Stored in object space.
    MNNormalSpec* spec = static_cast<PolyObject*>(node->GetObjectRef())->mm.GetSpecifiedNormals();
    ExpectNear(spec->Normal(0), Inverse(tm).VectorTransform(Point3(0, 0, 1)));
}

TEST_F(MeshBuildingTest, NormalInputsThatDoNotFitChangeNothing) {
    MeshKit kit;
    INode* node = Build(kit);
    const UArray<TVector3<float>> normals = Arr<TVector3<float>>({{0, 0, 1}, {0, 1, 0}});
    struct Case {
        const char* what;
        UArray<TVector3<float>> normals;
        UArray<unsigned int> indices;
    } cases[] = {
        {"six indices", normals, Arr({0u, 0u, 0u, 0u, 1u, 1u})},
        {"eight indices", normals, Arr({0u, 0u, 0u, 0u, 1u, 1u, 1u, 1u})},
        {"index past the normals", normals, Arr({0u, 0u, 0u, 0u, 1u, 1u, 2u})},
        {"no normals", UArray<TVector3<float>>(), Arr({0u, 0u, 0u, 0u, 0u, 0u, 0u})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kit.SetNormals(c.normals, c.indices).GetCode(), HStatus::NOT_SUPPORTED) << c.what;
    EXPECT_EQ(static_cast<PolyObject*>(node->GetObjectRef())->mm.GetSpecifiedNormals(), nullptr);
    EXPECT_EQ(MeshKit().SetNormals(normals, Arr({0u, 0u, 0u, 0u, 1u, 1u, 1u})).GetCode(), HStatus::FAILED);
}

TEST_F(MeshBuildingTest, ChannelsAreAddedAfterChannelZero) {
    MeshKit kit;
    INode* node = Build(kit);
    const MNMesh& mm = static_cast<PolyObject*>(node->GetObjectRef())->mm;
    EXPECT_EQ(kit.GetNumTextureCoordinateSets(), 0u);
    ASSERT_EQ(kit.AddTextureCoordinateSet().GetCode(), HStatus::DONE);
    EXPECT_EQ(mm.numm, 2);
    EXPECT_EQ(kit.GetNumTextureCoordinateSets(), 1u);
    ASSERT_EQ(kit.AddTextureCoordinateSet().GetCode(), HStatus::DONE);
    EXPECT_EQ(mm.numm, 3);
    EXPECT_EQ(kit.GetNumTextureCoordinateSets(), 2u);
    // At most 99 channels.
    while (mm.numm < 99)
        ASSERT_EQ(kit.AddTextureCoordinateSet().GetCode(), HStatus::DONE);
    EXPECT_EQ(kit.AddTextureCoordinateSet().GetCode(), HStatus::FAILED);
    EXPECT_EQ(mm.numm, 99);
    EXPECT_EQ(MeshKit().AddTextureCoordinateSet().GetCode(), HStatus::FAILED);
}

TEST_F(MeshBuildingTest, TextureCoordinatesFillALiveSet) {
    MeshKit kit;
    Build(kit);
    kit.AddTextureCoordinateSet();
    kit.AddTextureCoordinateSet();
    const UArray<TVector2<float>> uv = Arr<TVector2<float>>({{0, 0}, {1, 0}, {1, 1}, {0.5f, 0.25f}});
    const UArray<unsigned int> indices = Arr({0u, 1u, 2u, 3u, 1u, 3u, 2u});
    ASSERT_EQ(kit.SetTextureCoordinates(uv, indices, 1).GetCode(), HStatus::DONE);
    UArray<TVector2<float>> read;
    UArray<unsigned int> readIndices;
    ASSERT_EQ(kit.GetTextureCoordinates(1, read).GetCode(), HStatus::DONE);
    EXPECT_EQ(Vec(read), Vec(uv));
    ASSERT_EQ(kit.GetPolygonTexCoordIndices(1, readIndices).GetCode(), HStatus::DONE);
    EXPECT_EQ(Vec(readIndices), Vec(indices));
    // The third component is 0.
    INode* node = kit.GetObject().GetNode();
    EXPECT_EQ(static_cast<PolyObject*>(node->GetObjectRef())->mm.M(2)->v[3], UVVert(0.5f, 0.25f, 0.0f));

    struct Case {
        const char* what;
        UArray<TVector2<float>> uv;
        UArray<unsigned int> indices;
        unsigned set;
        int32_t code;
    } cases[] = {
        {"six indices", uv, Arr({0u, 1u, 2u, 3u, 1u, 3u}), 0, HStatus::NOT_SUPPORTED},
        {"eight indices", uv, Arr({0u, 1u, 2u, 3u, 1u, 3u, 2u, 0u}), 0, HStatus::NOT_SUPPORTED},
        {"index past the coordinates", uv, Arr({0u, 1u, 2u, 3u, 1u, 3u, 4u}), 0, HStatus::NOT_SUPPORTED},
        {"no coordinates", UArray<TVector2<float>>(), indices, 0, HStatus::NOT_SUPPORTED},
        {"no such set", uv, indices, 2, HStatus::FAILED},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kit.SetTextureCoordinates(c.uv, c.indices, c.set).GetCode(), c.code) << c.what;
    // Set 0 was never filled.
    ASSERT_EQ(kit.GetTextureCoordinates(0, read).GetCode(), HStatus::DONE);
    EXPECT_NE(Vec(read), Vec(uv));
}

#include "KitsFixture.h"

#include <cmath>

#include "max.h"

#include "imtl.h"
#include "merrow/Platform/3dsmax/Kits/HPolygonMeshKit.h"
#include "orlo/ErrorDescription.h"

using merrow::platform_3dsmax::HObject;
using merrow::platform_3dsmax::HPolygonMeshKit;
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

// A skinned quad-and-triangle on two bones, weighted fully to the second
// bone from vertex 1 on; the second bone then moves and turns, so the
// current pose differs from the bind pose.
struct SkinnedScene {
    INode* mesh;
    INode* bone0;
    INode* bone1;
    Modifier* skin;
};

} // namespace

class MeshReadingTest : public KitsTest {
protected:
    SkinnedScene MakeSkinned() {
        SkinnedScene s;
        s.mesh = NewMeshNode("skinned");
        s.bone0 = NewBone("b0", Point3(0, 0, 0));
        s.bone1 = NewBone("b1", Point3(2, 0, 0));
        s.skin = AddSkin(s.mesh, {s.bone0, s.bone1});
        EXPECT_TRUE(SetWeights(s.skin, s.mesh, 0, {s.bone0}, {1.0f}));
        for (int v = 1; v < 5; ++v)
            EXPECT_TRUE(SetWeights(s.skin, s.mesh, v, {s.bone1}, {1.0f}));
        Matrix3 moved = RotateZMatrix(0.5f);
        moved.SetTrans(Point3(2, 3, 0));
        s.bone1->SetNodeTM(Now(), moved);
        return s;
    }

    static std::vector<Point3> Bind() {
        return {Point3(0, 0, 0), Point3(2, 0, 0), Point3(2, 1, 0), Point3(0, 1, 0), Point3(3, 0, 0)};
    }
};

TEST_F(MeshReadingTest, AnEditablePolyIsReadWithoutACopyAndNeverDeleted) {
    INode* node = NewMeshNode("poly");
    Object* object = node->GetObjectRef();
    {
        MeshKit kit(Handle(node));
        EXPECT_TRUE(kit.IsStale());
        EXPECT_EQ(static_cast<Object*>(kit.Get3dsmaxPolyObject()), object);
        EXPECT_FALSE(kit.IsStale());
        EXPECT_EQ(kit.GetNumVertices(), 5u);
    }
    EXPECT_EQ(node->GetObjectRef(), object);
    EXPECT_EQ(node->GetObjectRef()->NumPoints(), 5);
}

TEST_F(MeshReadingTest, PositionsPolygonsAndCountsInWorldSpace) {
    INode* node = NewMeshNode("poly");
    Matrix3 tm = RotateZMatrix(1.0f);
    tm.SetTrans(Point3(10, 0, 5));
    node->SetNodeTM(Now(), tm);
    node->SetObjOffsetPos(Point3(0, 0, 1));
    MeshKit kit(Handle(node));
    UArray<TVector3<float>> vertices;
    ASSERT_EQ(kit.GetVertices(vertices).GetCode(), HStatus::DONE);
    ASSERT_EQ(vertices.Num(), 5);
    const Matrix3 objectTM = node->GetObjectTM(Now());
    for (int i = 0; i < 5; ++i)
        ExpectNear(P(vertices[i]), objectTM.PointTransform(Bind()[size_t(i)]));
    EXPECT_EQ(kit.GetObjectTransformationMatrix(), objectTM);

    UArray<unsigned int> counts = Arr({9u}), indices = Arr({9u});
    ASSERT_EQ(kit.GetPolygons(counts, indices).GetCode(), HStatus::DONE);
    EXPECT_EQ(Vec(counts), (std::vector<unsigned>{4, 3}));
    EXPECT_EQ(Vec(indices), (std::vector<unsigned>{0, 1, 2, 3, 1, 4, 2}));
}

TEST_F(MeshReadingTest, AConvertedCopyIsOwnedAndReusedUntilTheTimeChanges) {
    INode* node = NewNode(NewObject(GEOMOBJECT_CLASS_ID, Class_ID(0x3011, 0)), "box");
    MeshKit kit(Handle(node));
    PolyObject* first = kit.Get3dsmaxPolyObject();
    ASSERT_NE(first, nullptr);
    EXPECT_NE(static_cast<Object*>(first), node->GetObjectRef());
    EXPECT_EQ(kit.GetNumVertices(), 8u);
    // A second reading reuses the conversion.
    EXPECT_EQ(kit.Get3dsmaxPolyObject(), first);
    EXPECT_FALSE(kit.IsStale());
    // Moving the time slider makes it convert again.
    Host()->SetTime(Now() + 160);
    EXPECT_TRUE(kit.IsStale());
    EXPECT_EQ(kit.GetNumVertices(), 8u);
    EXPECT_FALSE(kit.IsStale());
}

TEST_F(MeshReadingTest, ChangesOfTheObjectMakeTheKitStale) {
    INode* node = NewMeshNode("poly");
    MeshKit kit(Handle(node));
    PolyObject* poly = kit.Get3dsmaxPolyObject();
    ASSERT_FALSE(kit.IsStale());

    // A change message from the watched object.
    poly->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
    EXPECT_TRUE(kit.IsStale());
    kit.Get3dsmaxPolyObject();

    // The other watched messages, and messages that change nothing.
    struct Case {
        RefMessage message;
        bool stale;
    } cases[] = {{REFMSG_TARGET_DELETED, true}, {REFMSG_CHANGE, true},
                 {REFMSG_REF_DELETED, true},    {REFMSG_SUBANIM_STRUCTURE_CHANGED, false},
                 {REFMSG_LOOPTEST, false},      {REFMSG_USER, false}};
    for (const Case& c : cases) {
        kit.Get3dsmaxPolyObject();
        ASSERT_FALSE(kit.IsStale());
        PartID part = PART_GEOM;
        EXPECT_EQ(kit.NotifyRefChanged(FOREVER, poly, part, c.message), REF_SUCCEED);
        EXPECT_EQ(kit.IsStale(), c.stale) << std::hex << c.message;
    }

    // Retargeting the kit.
    kit.Get3dsmaxPolyObject();
    kit.SetObject(Handle(node));
    EXPECT_TRUE(kit.IsStale());

    // Replacing the node's object: the old object, still watched by the
    // kit, tells its dependents that it lost a reference; the kit then
    // converts and watches the new one (and lets the old one go).
    kit.Get3dsmaxPolyObject();
    PolyObject* replacement = NewQuadAndTriangle();
    node->SetObjectRef(replacement);
    poly->NotifyDependents(FOREVER, 0xFFFFFFFF, REFMSG_REF_DELETED);
    EXPECT_TRUE(kit.IsStale());
    EXPECT_EQ(kit.Get3dsmaxPolyObject(), replacement);
    EXPECT_EQ(kit.GetReference(0), static_cast<RefTargetHandle>(replacement));
}

TEST_F(MeshReadingTest, AKitWithoutANodeRaisesAtTheFirstReader) {
    Mtl* material = static_cast<Mtl*>(Host()->CreateInstance(MATERIAL_CLASS_ID, Class_ID(DMTL_CLASS_ID, 0)));
    for (const HObject& handle : {HObject(), HObject::FromNode(nullptr), HObject::FromMaterial(material)}) {
        MeshKit kit(handle);
        UArray<TVector3<float>> out;
        try {
            kit.GetVertices(out);
            FAIL() << "no error raised";
        } catch (const orlo::ErrorDescription& error) {
            EXPECT_STREQ(error.GetMessageText(), "'assure' failed: m_convertedObject");
            EXPECT_STREQ(error.GetFile(), "merrow/platform/3dsmax/Kits/HPolygonMeshKit");
            EXPECT_STREQ(error.GetHistory(), "merrow::platform_3dsmax::HPolygonMeshKit<float>::Get3dsmaxPolyObject()");
        }
        // The host never gets an exception: messages are answered quietly.
        PartID part = 0;
        EXPECT_EQ(kit.NotifyRefChanged(FOREVER, nullptr, part, REFMSG_CHANGE), REF_SUCCEED);
        EXPECT_EQ(kit.GetObjectTransformationMatrix(), Matrix3(TRUE));
    }
    material->MaybeAutoDelete();
}

TEST_F(MeshReadingTest, OnlyReferenceZeroExists) {
    INode* node = NewMeshNode("poly");
    MeshKit kit(Handle(node));
    EXPECT_EQ(kit.NumRefs(), 1);
    EXPECT_EQ(kit.GetReference(0), nullptr);
    try {
        kit.GetReference(1);
        FAIL();
    } catch (const orlo::ErrorDescription& error) {
        EXPECT_STREQ(error.GetMessageText(), "'assure' failed: !i");
        EXPECT_STREQ(error.GetHistory(), "merrow::platform_3dsmax::HPolygonMeshKit<float>::GetReference()");
    }
    try {
        kit.SetReference(2, nullptr);
        FAIL();
    } catch (const orlo::ErrorDescription& error) {
        EXPECT_STREQ(error.GetHistory(), "merrow::platform_3dsmax::HPolygonMeshKit<float>::SetReference()");
    }
}

TEST_F(MeshReadingTest, ObjectsThatCannotBecomePolysAnswerStatusOneAndLeaveOutputs) {
    INode* camera = NewNode(NewObject(CAMERA_CLASS_ID, Class_ID(SIMPLE_CAM_CLASS_ID, 0)), "camera");
    MeshKit kit(Handle(camera));
    EXPECT_EQ(kit.Get3dsmaxPolyObject(), nullptr);
    EXPECT_TRUE(kit.IsStale());
    EXPECT_EQ(kit.GetNumVertices(), 0u);
    EXPECT_EQ(kit.GetNumNormals(), 0u);
    EXPECT_EQ(kit.GetNumTextureCoordinateSets(), 0u);
    UArray<TVector3<float>> v = Arr({TVector3<float>{1, 2, 3}});
    UArray<TVector2<float>> uv = Arr({TVector2<float>{1, 2}});
    UArray<unsigned int> a = Arr({7u}), b = Arr({8u});
    UArray<HObject> materials = Arr({HObject::FromIndex(4)});
    EXPECT_EQ(kit.GetVertices(v).GetCode(), HStatus::FAILED);
    EXPECT_EQ(kit.GetNormals(v).GetCode(), HStatus::FAILED);
    EXPECT_EQ(kit.GetTextureCoordinates(0, uv).GetCode(), HStatus::FAILED);
    EXPECT_EQ(kit.GetMaterials(materials).GetCode(), HStatus::FAILED);
    EXPECT_EQ(kit.GetPolygons(a, b).GetCode(), HStatus::FAILED);
    EXPECT_EQ(kit.GetPolygonNormalIndices(a).GetCode(), HStatus::FAILED);
    EXPECT_EQ(kit.GetPolygonTexCoordIndices(0, a).GetCode(), HStatus::FAILED);
    EXPECT_EQ(kit.GetPolygonMaterialIndices(a).GetCode(), HStatus::FAILED);
    EXPECT_EQ(v.Num(), 1);
    EXPECT_EQ(uv.Num(), 1);
    EXPECT_EQ(Vec(a), std::vector<unsigned>{7});
    EXPECT_EQ(Vec(b), std::vector<unsigned>{8});
    EXPECT_EQ(materials.Num(), 1);
}

TEST_F(MeshReadingTest, PoseModes) {
    INode* plain = NewMeshNode("plain");
    MeshKit plainKit(Handle(plain));
    EXPECT_EQ(plainKit.SetPoseMode(POSE_CURRENT).GetCode(), HStatus::DONE);
    EXPECT_EQ(plainKit.SetPoseMode(POSE_BIND).GetCode(), HStatus::NOT_SUPPORTED);
    EXPECT_EQ(plainKit.GetPoseMode(), POSE_CURRENT);
    EXPECT_EQ(plainKit.SetPoseMode(2).GetCode(), HStatus::NOT_SUPPORTED);
    EXPECT_EQ(plainKit.SetPoseMode(-1).GetCode(), HStatus::NOT_SUPPORTED);

    SkinnedScene s = MakeSkinned();
    MeshKit kit(Handle(s.mesh));
    kit.Get3dsmaxPolyObject();
    EXPECT_EQ(kit.SetPoseMode(POSE_CURRENT).GetCode(), HStatus::DONE);
    EXPECT_FALSE(kit.IsStale()); // the same mode changes nothing
    EXPECT_EQ(kit.SetPoseMode(POSE_BIND).GetCode(), HStatus::DONE);
    EXPECT_TRUE(kit.IsStale());
    EXPECT_EQ(kit.GetPoseMode(), POSE_BIND);
}

TEST_F(MeshReadingTest, BindPoseReadingSwitchesTheSkinOffAndBackOn) {
    SkinnedScene s = MakeSkinned();
    const Matrix3 objectTM = s.mesh->GetObjectTM(Now());
    std::vector<Point3> bind;
    for (const Point3& p : Bind())
        bind.push_back(objectTM.PointTransform(p));
    const std::vector<Point3> posed = WorldPoints(s.mesh);
    ASSERT_GT(Length(posed[2] - bind[2]), 1.0f);

    {
        MeshKit kit(Handle(s.mesh));
        UArray<TVector3<float>> v;
        // A holder in the current pose first.
        ASSERT_EQ(kit.GetVertices(v).GetCode(), HStatus::DONE);
        for (int i = 0; i < 5; ++i)
            ExpectNear(P(v[i]), posed[size_t(i)]);

        ASSERT_EQ(kit.SetPoseMode(POSE_BIND).GetCode(), HStatus::DONE);
        ASSERT_EQ(kit.GetVertices(v).GetCode(), HStatus::DONE);
        for (int i = 0; i < 5; ++i)
            ExpectNear(P(v[i]), bind[size_t(i)]);
        // Two readings convert once: the skin stays off meanwhile.
        EXPECT_FALSE(kit.IsStale());
        EXPECT_TRUE(s.skin->TestAFlag(A_MOD_DISABLED));

        ASSERT_EQ(kit.SetPoseMode(POSE_CURRENT).GetCode(), HStatus::DONE);
        ASSERT_EQ(kit.GetVertices(v).GetCode(), HStatus::DONE);
        for (int i = 0; i < 5; ++i)
            ExpectNear(P(v[i]), posed[size_t(i)]);
        EXPECT_FALSE(s.skin->TestAFlag(A_MOD_DISABLED));

        // Bind pose again; the kit's end switches the skin back on.
        kit.SetPoseMode(POSE_BIND);
        kit.GetVertices(v);
        EXPECT_TRUE(s.skin->TestAFlag(A_MOD_DISABLED));
    }
    EXPECT_FALSE(s.skin->TestAFlag(A_MOD_DISABLED));
    EXPECT_FALSE(s.skin->TestAFlag(A_MOD_DISABLED_INVIEWS));
    const std::vector<Point3> after = WorldPoints(s.mesh);
    for (int i = 0; i < 5; ++i)
        ExpectNear(after[size_t(i)], posed[size_t(i)]);
}

TEST_F(MeshReadingTest, TheUsersSkinSettingsAreKept) {
    SkinnedScene s = MakeSkinned();
    // Disabled by the user: left disabled, and the reading is what the host
    // shows (the points without the skin).
    s.skin->SetAFlag(A_MOD_DISABLED);
    {
        MeshKit kit(Handle(s.mesh));
        kit.SetPoseMode(POSE_BIND);
        UArray<TVector3<float>> v;
        ASSERT_EQ(kit.GetVertices(v).GetCode(), HStatus::DONE);
    }
    EXPECT_TRUE(s.skin->TestAFlag(A_MOD_DISABLED));
    // Disabled in viewports only: switched off for the reading, and the
    // viewport setting stays as the user left it.
    s.skin->ClearAFlag(A_MOD_DISABLED);
    s.skin->SetAFlag(A_MOD_DISABLED_INVIEWS);
    {
        MeshKit kit(Handle(s.mesh));
        kit.SetPoseMode(POSE_BIND);
        UArray<TVector3<float>> v;
        ASSERT_EQ(kit.GetVertices(v).GetCode(), HStatus::DONE);
        EXPECT_TRUE(s.skin->TestAFlag(A_MOD_DISABLED));
        EXPECT_TRUE(s.skin->TestAFlag(A_MOD_DISABLED_INVIEWS));
    }
    EXPECT_FALSE(s.skin->TestAFlag(A_MOD_DISABLED));
    EXPECT_TRUE(s.skin->TestAFlag(A_MOD_DISABLED_INVIEWS));
}

TEST_F(MeshReadingTest, NormalsBuiltForTheCallOnly) {
    INode* node = NewMeshNode("poly");
    PolyObject* poly = static_cast<PolyObject*>(node->GetObjectRef());
    ASSERT_EQ(poly->mm.GetSpecifiedNormals(), nullptr);
    MeshKit kit(Handle(node));
    const unsigned count = kit.GetNumNormals();
    EXPECT_GT(count, 0u);
    EXPECT_EQ(poly->mm.GetSpecifiedNormals(), nullptr);
    UArray<TVector3<float>> normals;
    ASSERT_EQ(kit.GetNormals(normals).GetCode(), HStatus::DONE);
    EXPECT_EQ(unsigned(normals.Num()), count);
    for (const TVector3<float>& n : normals)
        ExpectNear(P(n), Point3(0, 0, 1));
    UArray<unsigned int> indices;
    ASSERT_EQ(kit.GetPolygonNormalIndices(indices).GetCode(), HStatus::DONE);
    EXPECT_EQ(indices.Num(), 7);
    for (unsigned index : indices)
        EXPECT_LT(index, count);
    EXPECT_EQ(poly->mm.GetSpecifiedNormals(), nullptr);
}

// The length is kept also where its square leaves the float range: a normal
// of length 1e28 read from a file is written back as it is, not as NaN.
TEST_F(MeshReadingTest, NormalsLongerThanTheSquareRootOfTheFloatRangeKeepTheirLength) {
    INode* node = NewMeshNode("poly");
    PolyObject* poly = static_cast<PolyObject*>(node->GetObjectRef());
    poly->mm.SpecifyNormals();
    MNNormalSpec* spec = poly->mm.GetSpecifiedNormals();
    spec->SetParent(&poly->mm);
    spec->SetNumFaces(poly->mm.numf);
    spec->CheckNormals();
    const Point3 given[3] = {Point3(0.0f, 0.0f, -1.1e28f), Point3(3e20f, 4e20f, 0.0f), Point3(0.0f, 2.0f, 0.0f)};
    spec->SetNumNormals(3);
    for (int i = 0; i < 3; ++i)
        spec->Normal(i) = given[i];
    spec->MakeNormalsExplicit(false, nullptr, true);
    for (int f = 0; f < poly->mm.numf; ++f)
        for (int c = 0; c < poly->mm.f[f].deg; ++c)
            spec->SetNormalIndex(f, c, (f + c) % 3);
    Matrix3 tm(TRUE);
    tm.SetTrans(Point3(1, 2, 3));
    node->SetNodeTM(Now(), tm);

    MeshKit kit(Handle(node));
    UArray<TVector3<float>> normals;
    ASSERT_EQ(kit.GetNormals(normals).GetCode(), HStatus::DONE);
    ASSERT_EQ(normals.Num(), 3);
    for (int i = 0; i < 3; ++i) {
        const float scale = std::max({std::fabs(given[i].x), std::fabs(given[i].y), std::fabs(given[i].z)});
        EXPECT_NEAR(normals[i].x, given[i].x, scale * 1e-6f) << "normal " << i;
        EXPECT_NEAR(normals[i].y, given[i].y, scale * 1e-6f) << "normal " << i;
        EXPECT_NEAR(normals[i].z, given[i].z, scale * 1e-6f) << "normal " << i;
    }
}

TEST_F(MeshReadingTest, ExplicitNormalsGoToWorldByTheInverseTransposeKeepingLength) {
    INode* node = NewMeshNode("poly");
    PolyObject* poly = static_cast<PolyObject*>(node->GetObjectRef());
    poly->mm.SpecifyNormals();
    MNNormalSpec* spec = poly->mm.GetSpecifiedNormals();
    spec->SetParent(&poly->mm);
    spec->SetNumFaces(poly->mm.numf); // a new normal set has no normal faces
    spec->CheckNormals();
    spec->SetNumNormals(2);
    spec->Normal(0) = Point3(0, 0, 2);          // length 2
    spec->Normal(1) = Point3(0.6f, 0.0f, 0.8f); // unit, tilted
    spec->MakeNormalsExplicit(false, nullptr, true);
    for (int f = 0; f < poly->mm.numf; ++f)
        for (int c = 0; c < poly->mm.f[f].deg; ++c)
            spec->SetNormalIndex(f, c, f);
    // An object offset with rotation and non-uniform scale.
    node->SetObjOffsetRot(Quat(RotateXMatrix(0.3f)));
    node->SetObjOffsetScale(ScaleValue(Point3(1.0f, 3.0f, 0.5f)));
    Matrix3 tm = RotateZMatrix(0.8f);
    tm.SetTrans(Point3(1, 2, 3));
    node->SetNodeTM(Now(), tm);

    MeshKit kit(Handle(node));
    UArray<TVector3<float>> normals;
    ASSERT_EQ(kit.GetNormals(normals).GetCode(), HStatus::DONE);
    ASSERT_EQ(normals.Num(), 2);
    const Matrix3 m = node->GetObjectTM(Now());
    for (int i = 0; i < 2; ++i) {
        const Point3 v = spec->Normal(i);
        const Point3 out = P(normals[i]);
        EXPECT_NEAR(Length(out), Length(v), 1e-4f);
        // Perpendicular to every transformed tangent of the surface it was
        // perpendicular to.
        for (const Point3& tangent : {v ^ Point3(1, 0, 0), v ^ Point3(0, 1, 0)})
            EXPECT_NEAR(out % m.VectorTransform(tangent), 0.0f, 1e-3f);
    }
    UArray<unsigned int> indices;
    ASSERT_EQ(kit.GetPolygonNormalIndices(indices).GetCode(), HStatus::DONE);
    EXPECT_EQ(Vec(indices), (std::vector<unsigned>{0, 0, 0, 0, 1, 1, 1}));
    EXPECT_NE(poly->mm.GetSpecifiedNormals(), nullptr);
}

TEST_F(MeshReadingTest, DeadChannelsAreSkippedInSetNumbering) {
    INode* node = NewMeshNode("poly");
    PolyObject* poly = static_cast<PolyObject*>(node->GetObjectRef());
    MNMesh& mm = poly->mm;
    mm.SetMapNum(4);
    mm.InitMap(2); // channels 0, 1 and 3 dead
    MNMap* map = mm.M(2);
    map->setNumVerts(3);
    map->v[0] = UVVert(0.1f, 0.2f, 0.9f);
    map->v[1] = UVVert(0.3f, 0.4f, 0.9f);
    map->v[2] = UVVert(0.5f, 0.6f, 0.9f);
    int quad[4] = {0, 1, 2, 1};
    int tri[3] = {2, 1, 0};
    map->F(0)->MakePoly(4, quad);
    map->F(1)->MakePoly(3, tri);
    ASSERT_TRUE(mm.M(1)->GetFlag(MN_DEAD));

    MeshKit kit(Handle(node));
    EXPECT_EQ(kit.GetNumTextureCoordinateSets(), 1u);
    UArray<TVector2<float>> uv;
    ASSERT_EQ(kit.GetTextureCoordinates(0, uv).GetCode(), HStatus::DONE);
    ASSERT_EQ(uv.Num(), 3);
    EXPECT_EQ(uv[2].x, 0.5f);
    EXPECT_EQ(uv[2].y, 0.6f);
    UArray<unsigned int> indices;
    ASSERT_EQ(kit.GetPolygonTexCoordIndices(0, indices).GetCode(), HStatus::DONE);
    EXPECT_EQ(Vec(indices), (std::vector<unsigned>{0, 1, 2, 1, 2, 1, 0}));
    EXPECT_EQ(kit.GetTextureCoordinates(1, uv).GetCode(), HStatus::FAILED);
    EXPECT_EQ(uv.Num(), 3);
    EXPECT_EQ(kit.GetPolygonTexCoordIndices(1, indices).GetCode(), HStatus::FAILED);
}

TEST_F(MeshReadingTest, MaterialsAndMaterialIndices) {
    INode* node = NewMeshNode("poly");
    PolyObject* poly = static_cast<PolyObject*>(node->GetObjectRef());
    poly->mm.f[0].material = 7;
    poly->mm.f[1].material = 2;
    MeshKit kit(Handle(node));
    UArray<HObject> materials = Arr({HObject::FromIndex(1)});
    UArray<unsigned int> indices = Arr({5u});
    // No material: status 1, outputs untouched.
    EXPECT_EQ(kit.GetMaterials(materials).GetCode(), HStatus::FAILED);
    EXPECT_EQ(kit.GetPolygonMaterialIndices(indices).GetCode(), HStatus::FAILED);
    EXPECT_EQ(materials.Num(), 1);
    EXPECT_EQ(Vec(indices), std::vector<unsigned>{5});

    Mtl* single = static_cast<Mtl*>(Host()->CreateInstance(MATERIAL_CLASS_ID, Class_ID(DMTL_CLASS_ID, 0)));
    node->SetMtl(single);
    ASSERT_EQ(kit.GetMaterials(materials).GetCode(), HStatus::DONE);
    ASSERT_EQ(materials.Num(), 1);
    EXPECT_EQ(materials[0].GetMaterial(), single);
    ASSERT_EQ(kit.GetPolygonMaterialIndices(indices).GetCode(), HStatus::DONE);
    EXPECT_EQ(Vec(indices), (std::vector<unsigned>{0, 0}));

    Mtl* multi = static_cast<Mtl*>(Host()->CreateInstance(MATERIAL_CLASS_ID, Class_ID(MULTI_CLASS_ID, 0)));
    static_cast<MultiMtl*>(multi)->SetNumSubMtls(3);
    Mtl* red = static_cast<Mtl*>(Host()->CreateInstance(MATERIAL_CLASS_ID, Class_ID(DMTL_CLASS_ID, 0)));
    Mtl* blue = static_cast<Mtl*>(Host()->CreateInstance(MATERIAL_CLASS_ID, Class_ID(DMTL_CLASS_ID, 0)));
    multi->SetSubMtl(0, red);
    multi->SetSubMtl(2, blue); // slot 1 stays empty
    node->SetMtl(multi);
    ASSERT_EQ(kit.GetMaterials(materials).GetCode(), HStatus::DONE);
    ASSERT_EQ(materials.Num(), 3);
    EXPECT_EQ(materials[0].GetMaterial(), red);
    EXPECT_EQ(materials[1].GetKind(), HObject::KIND_MATERIAL);
    EXPECT_EQ(materials[1].GetPointer(), 0u);
    EXPECT_EQ(materials[2].GetMaterial(), blue);
    ASSERT_EQ(kit.GetPolygonMaterialIndices(indices).GetCode(), HStatus::DONE);
    EXPECT_EQ(Vec(indices), (std::vector<unsigned>{1, 2})); // 7 of three is 1
}

#include <cmath>

#include "MaxsimFixture.h"
#include "SceneNode.h"
#include "SkinModifier.h"

namespace {
// A quad-and-triangle mesh on a node that stands at (0,0,1) with its object
// one unit back down, skinned to two bones at x = 0 and x = 2.
class MaxsimSkinTest : public MaxsimTest {
protected:
    void SetUp() override {
        MaxsimTest::SetUp();
        base = NewQuadAndTriangle();
        mesh = NewNode(base, "mesh");
        Matrix3 tm = TransMatrix(Point3(0, 0, 1));
        mesh->SetNodeTM(Now(), tm);
        mesh->SetObjOffsetPos(Point3(0, 0, -1));
        bone1 = NewBone("b1", Point3(0, 0, 0));
        bone2 = NewBone("b2", Point3(2, 0, 0));
        skin = AddSkin(mesh);
        ImportOf(skin)->AddBoneEx(bone1, FALSE);
        ImportOf(skin)->AddBoneEx(bone2, TRUE);
        // The skin has data for the node only once it has run for it.
        mesh->EvalWorldState(Now());
        for (int v = 0; v < base->mm.numv; ++v)
            ASSERT_TRUE(SetWeights(skin, mesh, v, {bone1, bone2}, {0.25f, 0.75f}));
        bind = WorldPoints(mesh);
    }

    void Bend() {
        Matrix3 tm = RotateZMatrix(0.7f) * TransMatrix(Point3(2, 0, 0));
        bone2->SetNodeTM(Now(), tm);
    }

    PolyObject* base = nullptr;
    INode* mesh = nullptr;
    INode* bone1 = nullptr;
    INode* bone2 = nullptr;
    Modifier* skin = nullptr;
    std::vector<Point3> bind;
};
} // namespace

TEST_F(MaxsimSkinTest, AnUnmovedSkinLeavesThePointsWhereTheyWere) {
    ASSERT_EQ(bind.size(), 5u);
    const Matrix3 objectTM = mesh->GetObjectTM(Now());
    for (int v = 0; v < 5; ++v)
        ExpectNear(bind[size_t(v)], objectTM.PointTransform(base->GetPoint(v)));
}

TEST_F(MaxsimSkinTest, AnEnabledSkinBlendsTheBonesMotions) {
    Matrix3 init1, init2, meshBind;
    ISkin* s = SkinOf(skin);
    ASSERT_EQ(s->GetBoneInitTM(bone1, init1, false), SKIN_OK);
    ASSERT_EQ(s->GetBoneInitTM(bone2, init2, false), SKIN_OK);
    ASSERT_EQ(s->GetSkinInitTM(mesh, meshBind, true), SKIN_OK);
    Bend();
    const std::vector<Point3> posed = WorldPoints(mesh);
    for (int v = 0; v < 5; ++v) {
        const Point3 p = base->GetPoint(v);
        const Point3 expected = (p * meshBind * Inverse(init1) * bone1->GetNodeTM(Now())) * 0.25f +
                                (p * meshBind * Inverse(init2) * bone2->GetNodeTM(Now())) * 0.75f;
        ExpectNear(posed[size_t(v)], expected);
    }
    EXPECT_GT((posed[2] - bind[2]).Length(), 0.1f);
}

TEST_F(MaxsimSkinTest, MovingTheSkinnedNodeDoesNotMoveItsPoints) {
    Matrix3 away = TransMatrix(Point3(5, 5, 5));
    mesh->SetNodeTM(Now(), away);
    const std::vector<Point3> after = WorldPoints(mesh);
    for (int v = 0; v < 5; ++v)
        ExpectNear(after[size_t(v)], bind[size_t(v)]);
}

TEST_F(MaxsimSkinTest, ADisabledSkinGivesTheBindPoseBack) {
    Bend();
    skin->SetAFlag(A_MOD_DISABLED);
    skin->NotifyDependents(FOREVER, 0x80003FFF, REFMSG_CHANGE);
    EXPECT_EQ(mesh->EvalWorldState(Now()).obj, base);
    const std::vector<Point3> off = WorldPoints(mesh);
    for (int v = 0; v < 5; ++v)
        ExpectNear(off[size_t(v)], bind[size_t(v)]);
    skin->ClearAFlag(A_MOD_DISABLED);
    skin->NotifyDependents(FOREVER, 0x80003FFF, REFMSG_CHANGE);
    EXPECT_GT((WorldPoints(mesh)[2] - bind[2]).Length(), 0.1f);
}

TEST_F(MaxsimSkinTest, DisabledInViewsLeavesTheEvaluatedPointsAlone) {
    Bend();
    const std::vector<Point3> posed = WorldPoints(mesh);
    skin->SetAFlag(A_MOD_DISABLED_INVIEWS);
    skin->NotifyDependents(FOREVER, 0x80003FFF, REFMSG_CHANGE);
    const std::vector<Point3> again = WorldPoints(mesh);
    for (int v = 0; v < 5; ++v)
        ExpectNear(again[size_t(v)], posed[size_t(v)]);
}

TEST_F(MaxsimSkinTest, PointsWithoutWeightsStayPut) {
    ASSERT_TRUE(SetWeights(skin, mesh, 4, {}, {}));
    Bend();
    ExpectNear(WorldPoints(mesh)[4], bind[4]);
}

TEST_F(MaxsimSkinTest, WeightsAreReadBackAsGivenPerPoint) {
    ASSERT_TRUE(SetWeights(skin, mesh, 1, {bone2}, {0.5f}));
    ISkinContextData* ctx = SkinOf(skin)->GetContextInterface(mesh);
    ASSERT_NE(ctx, nullptr);
    EXPECT_EQ(ctx->GetNumPoints(), 5);
    EXPECT_EQ(ctx->GetNumAssignedBones(0), 2);
    EXPECT_EQ(ctx->GetAssignedBone(0, 1), 1);
    EXPECT_FLOAT_EQ(ctx->GetBoneWeight(0, 1), 0.75f);
    EXPECT_EQ(ctx->GetNumAssignedBones(1), 1);
    EXPECT_EQ(ctx->GetAssignedBone(1, 0), 1);
    EXPECT_FLOAT_EQ(ctx->GetBoneWeight(1, 0), 0.5f);
    // Out of range asks answer nothing rather than reading past the data.
    EXPECT_EQ(ctx->GetNumAssignedBones(9), 0);
    EXPECT_EQ(ctx->GetAssignedBone(1, 3), -1);
}

TEST_F(MaxsimSkinTest, RefusedWeightsChangeNothing) {
    INode* stranger = NewBone("stranger", Point3(0, 9, 0));
    INode* other = NewNode(NewQuadAndTriangle(), "other");
    struct Case {
        const char* what;
        INode* node;
        int vertex;
        std::vector<INode*> bones;
        std::vector<float> weights;
    };
    const Case cases[] = {
        {"bone not in the skin", mesh, 0, {stranger}, {1.0f}},
        {"null bone", mesh, 0, {nullptr}, {1.0f}},
        {"tables of different lengths", mesh, 0, {bone1, bone2}, {1.0f}},
        {"negative vertex", mesh, -1, {bone1}, {1.0f}},
        {"vertex past the end", mesh, 5, {bone1}, {1.0f}},
        {"node without this skin", other, 0, {bone1}, {1.0f}},
        {"no node", nullptr, 0, {bone1}, {1.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(SetWeights(skin, c.node, c.vertex, c.bones, c.weights));
    }
    ISkinContextData* ctx = SkinOf(skin)->GetContextInterface(mesh);
    EXPECT_EQ(ctx->GetNumAssignedBones(0), 2);
    EXPECT_FLOAT_EQ(ctx->GetBoneWeight(0, 0), 0.25f);
    EXPECT_EQ(SkinOf(skin)->GetContextInterface(other), nullptr);
}

TEST_F(MaxsimSkinTest, BonesKeepTheTransformTheyHadWhenAdded) {
    const Matrix3 before = bone2->GetNodeTM(Now());
    Bend();
    Matrix3 init;
    ASSERT_EQ(SkinOf(skin)->GetBoneInitTM(bone2, init, false), SKIN_OK);
    EXPECT_TRUE(init.Equals(before));
    INode* stranger = NewBone("stranger", Point3(0, 9, 0));
    EXPECT_EQ(SkinOf(skin)->GetBoneInitTM(stranger, init, false), SKIN_INVALID_NODE_PTR);
}

TEST_F(MaxsimSkinTest, AddBoneExRecordsUpdatesKeepsSlotsForNullAndRefusesDuplicates) {
    ISkinImportData* import = ImportOf(skin);
    EXPECT_FALSE(import->AddBoneEx(bone1, FALSE));
    EXPECT_FALSE(import->AddBoneEx(nullptr, TRUE));
    ISkin* s = SkinOf(skin);
    ASSERT_EQ(s->GetNumBones(), 3);
    EXPECT_EQ(s->GetBone(0), bone1);
    EXPECT_EQ(s->GetBone(1), bone2);
    EXPECT_EQ(s->GetBone(2), nullptr);
    EXPECT_EQ(s->GetBone(7), nullptr);
    auto* sim = static_cast<maxsim::SkinModifier*>(skin);
    EXPECT_EQ(sim->GetAddBoneUpdates(), (std::vector<BOOL>{FALSE, TRUE, FALSE, TRUE}));
}

TEST_F(MaxsimSkinTest, ADeletedBoneLeavesAnEmptySlotThatNoLongerMoves) {
    Bend();
    Host().DeleteNode(bone2);
    EXPECT_EQ(SkinOf(skin)->GetNumBones(), 2);
    EXPECT_EQ(SkinOf(skin)->GetBone(1), nullptr);
    // Only bone 1, which has not moved, is left.
    const std::vector<Point3> after = WorldPoints(mesh);
    for (int v = 0; v < 5; ++v)
        ExpectNear(after[size_t(v)], bind[size_t(v)]);
}

TEST_F(MaxsimSkinTest, DataForANodeComesWithItsFirstEvaluation) {
    INode* second = NewNode(NewQuadAndTriangle(), "second");
    IDerivedObject* d = CreateDerivedObject(second->GetObjectRef());
    d->AddModifier(skin);
    second->SetObjectRef(d);
    EXPECT_EQ(SkinOf(skin)->GetContextInterface(second), nullptr);
    second->EvalWorldState(Now());
    ISkinContextData* ctx = SkinOf(skin)->GetContextInterface(second);
    ASSERT_NE(ctx, nullptr);
    EXPECT_EQ(ctx->GetNumPoints(), 5);
    EXPECT_EQ(ctx->GetNumAssignedBones(0), 0);
}

TEST_F(MaxsimSkinTest, TheSkinAnswersItsTwoInterfaces) {
    EXPECT_EQ(static_cast<void*>(SkinOf(skin)),
              static_cast<void*>(static_cast<ISkin*>(static_cast<maxsim::SkinModifier*>(skin))));
    EXPECT_NE(skin->GetInterface(I_SKINIMPORTDATA), nullptr);
    EXPECT_EQ(skin->GetInterface(0x30000), nullptr);
    EXPECT_EQ(skin->SuperClassID(), OSM_CLASS_ID);
    EXPECT_TRUE(skin->ClassID() == Class_ID(0x0095C723, 0x00015666));
}

// The host has no per-node data for a skin that has not run for the node:
// weights and the skin's bind transforms are refused until it has.
TEST_F(MaxsimTest, SkinWeightsAreRefusedUntilTheSkinHasRunForTheNode) {
    PolyObject* base = NewQuadAndTriangle();
    INode* mesh = NewNode(base, "mesh");
    INode* bone = NewBone("b", Point3(0, 0, 0));
    Modifier* skin = AddSkin(mesh);
    ASSERT_TRUE(ImportOf(skin)->AddBoneEx(bone, TRUE));
    EXPECT_FALSE(SetWeights(skin, mesh, 0, {bone}, {1.0f}));
    Matrix3 tm(TRUE);
    EXPECT_FALSE(ImportOf(skin)->SetSkinTm(mesh, tm, tm));
    EXPECT_EQ(SkinOf(skin)->GetContextInterface(mesh), nullptr);

    mesh->EvalWorldState(Now());
    EXPECT_TRUE(SetWeights(skin, mesh, 0, {bone}, {1.0f}));
    EXPECT_TRUE(ImportOf(skin)->SetSkinTm(mesh, tm, tm));
    ASSERT_NE(SkinOf(skin)->GetContextInterface(mesh), nullptr);
    EXPECT_EQ(SkinOf(skin)->GetContextInterface(mesh)->GetNumAssignedBones(0), 1);
}

// Two meshes share a bone: each skin keeps the bone's transform from when it
// was added to that skin, so the bind poses are equal when the bone stayed
// put in between and differ when it moved.
TEST_F(MaxsimTest, SkinsSharingABoneKeepTheirOwnBindPoses) {
    INode* bone = NewBone("shared", Point3(1, 0, 0));
    INode* first = NewNode(NewQuadAndTriangle(), "first");
    INode* second = NewNode(NewQuadAndTriangle(), "second");
    INode* third = NewNode(NewQuadAndTriangle(), "third");
    Modifier* skins[3] = {AddSkin(first), AddSkin(second), nullptr};
    ImportOf(skins[0])->AddBoneEx(bone, TRUE);
    ImportOf(skins[1])->AddBoneEx(bone, TRUE);
    Matrix3 moved = RotateZMatrix(0.5f) * TransMatrix(Point3(3, 1, 0));
    bone->SetNodeTM(Now(), moved);
    skins[2] = AddSkin(third);
    ImportOf(skins[2])->AddBoneEx(bone, TRUE);

    Matrix3 init[3];
    for (int s = 0; s < 3; ++s)
        ASSERT_EQ(SkinOf(skins[s])->GetBoneInitTM(bone, init[s], false), SKIN_OK);
    EXPECT_TRUE(init[0] == init[1]);
    EXPECT_TRUE(init[0].Equals(TransMatrix(Point3(1, 0, 0))));
    EXPECT_TRUE(init[2].Equals(moved, 1e-6f));
}

// A skin lists its bones in the order they were added, whatever the scene's
// order; weights name bones by their slot in that list.
TEST_F(MaxsimTest, ASkinsBoneOrderIsItsOwn) {
    INode* a = NewBone("a", Point3(0, 0, 0));
    INode* b = NewBone("b", Point3(1, 0, 0));
    INode* c = NewBone("c", Point3(2, 0, 0));
    PolyObject* base = NewQuadAndTriangle();
    INode* mesh = NewNode(base, "mesh");
    Modifier* skin = AddSkin(mesh);
    for (INode* bone : {c, a, b})
        ImportOf(skin)->AddBoneEx(bone, bone == b);
    mesh->EvalWorldState(Now());
    ASSERT_TRUE(SetWeights(skin, mesh, 0, {a, c}, {0.75f, 0.25f}));
    ISkin* s = SkinOf(skin);
    ASSERT_EQ(s->GetNumBones(), 3);
    EXPECT_EQ(s->GetBone(0), c);
    EXPECT_EQ(s->GetBone(1), a);
    EXPECT_EQ(s->GetBone(2), b);
    ISkinContextData* ctx = s->GetContextInterface(mesh);
    ASSERT_EQ(ctx->GetNumAssignedBones(0), 2);
    EXPECT_EQ(ctx->GetAssignedBone(0, 0), 1);
    EXPECT_EQ(ctx->GetAssignedBone(0, 1), 0);
    EXPECT_FLOAT_EQ(ctx->GetBoneWeight(0, 0), 0.75f);
    EXPECT_EQ(ctx->GetNumAssignedBones(1), 0);
}

namespace {
// A bone at the origin whose first child stands 4 units out along x, then
// the bone settings a case asks for, then the child moved to 8 units out.
struct StretchScene {
    INode* bone;
    INode* child;
};

StretchScene NewStretchedBone(BOOL boneOn, BOOL freezeLength, int scaleType, int axis) {
    StretchScene s;
    s.bone = maxsim::HostInterface::Instance().CreateObjectNode(
        static_cast<Object*>(maxsim::HostInterface::Instance().CreateInstance(GEOMOBJECT_CLASS_ID, BONE_OBJ_CLASSID)),
        "stretchy");
    s.child = maxsim::HostInterface::Instance().CreateObjectNode(
        static_cast<Object*>(maxsim::HostInterface::Instance().CreateInstance(GEOMOBJECT_CLASS_ID, BONE_OBJ_CLASSID)),
        "tip");
    Matrix3 childAt = TransMatrix(Point3(4, 0, 0));
    s.child->SetNodeTM(maxsim::HostInterface::Instance().GetTime(), childAt);
    s.bone->AttachChild(s.child, TRUE);
    s.bone->SetBoneNodeOnOff(boneOn, maxsim::HostInterface::Instance().GetTime());
    s.bone->SetBoneFreezeLen(freezeLength);
    s.bone->SetBoneScaleType(scaleType);
    s.bone->SetBoneAxis(axis);
    Matrix3 pulled = TransMatrix(Point3(8, 0, 0));
    s.child->SetNodeTM(maxsim::HostInterface::Instance().GetTime(), pulled);
    return s;
}

Matrix3 StretchOf(const StretchScene& s) {
    return s.bone->GetStretchTM(maxsim::HostInterface::Instance().GetTime());
}
} // namespace

// The stretch transform is the identity for a node that is not a bone or
// does not stretch; a stretching bone scales along its axis by how far its
// child moved (squash thins the other two axes, keeping the volume).
TEST_F(MaxsimTest, OnlyAStretchingBoneHasAStretchTransform) {
    const float thin = 1.0f / std::sqrt(2.0f);
    struct Case {
        const char* what;
        BOOL boneOn;
        BOOL freezeLength;
        int scaleType;
        int axis;
        Point3 scale;
    };
    const Case cases[] = {
        {"not a bone", FALSE, FALSE, BONE_SCALETYPE_SCALE, BONE_AXIS_X, Point3(1, 1, 1)},
        {"length frozen", TRUE, TRUE, BONE_SCALETYPE_SCALE, BONE_AXIS_X, Point3(1, 1, 1)},
        {"scale type none", TRUE, FALSE, BONE_SCALETYPE_NONE, BONE_AXIS_X, Point3(1, 1, 1)},
        {"scale along x", TRUE, FALSE, BONE_SCALETYPE_SCALE, BONE_AXIS_X, Point3(2, 1, 1)},
        {"scale along y", TRUE, FALSE, BONE_SCALETYPE_SCALE, BONE_AXIS_Y, Point3(1, 2, 1)},
        {"squash along x", TRUE, FALSE, BONE_SCALETYPE_SQUASH, BONE_AXIS_X, Point3(2.0f, thin, thin)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Host().Reset();
        const StretchScene s = NewStretchedBone(c.boneOn, c.freezeLength, c.scaleType, c.axis);
        EXPECT_TRUE(StretchOf(s).Equals(ScaleMatrix(c.scale), 1e-5f));
        // The node transform leaves the stretch out; the object transform
        // has it between the object offset and the node transform.
        EXPECT_TRUE(s.bone->GetNodeTM(Now()).Equals(Matrix3(TRUE)));
        s.bone->SetObjOffsetPos(Point3(0, 0, 1));
        EXPECT_TRUE(s.bone->GetObjectTM(Now()).Equals(
            TransMatrix(Point3(0, 0, 1)) * ScaleMatrix(c.scale) * s.bone->GetNodeTM(Now()), 1e-5f));
    }
}

TEST_F(MaxsimTest, ResettingTheStretchMakesThePresentLengthTheRestingOne) {
    const StretchScene s = NewStretchedBone(TRUE, FALSE, BONE_SCALETYPE_SCALE, BONE_AXIS_X);
    ASSERT_TRUE(StretchOf(s).Equals(ScaleMatrix(Point3(2, 1, 1))));
    s.bone->ResetBoneStretch(Now());
    EXPECT_TRUE(StretchOf(s).Equals(Matrix3(TRUE)));
    Matrix3 further = TransMatrix(Point3(12, 0, 0));
    s.child->SetNodeTM(Now(), further);
    EXPECT_TRUE(StretchOf(s).Equals(ScaleMatrix(Point3(1.5f, 1.0f, 1.0f)), 1e-5f));
    // An ordinary node answers the identity whatever its children do.
    EXPECT_TRUE(s.child->GetStretchTM(Now()).Equals(Matrix3(TRUE)));
}

// A keyed transform holds from its key until the next one; before the first
// key the first one holds.
TEST_F(MaxsimTest, TransformKeysHoldUntilTheNextKey) {
    INode* node = Host().CreateObjectNode(NewQuadAndTriangle(), "keyed");
    auto* sim = static_cast<maxsim::SceneNode*>(node);
    sim->SetNodeTMKey(0, TransMatrix(Point3(1, 0, 0)));
    sim->SetNodeTMKey(100, TransMatrix(Point3(5, 0, 0)));
    const std::pair<TimeValue, float> expected[] = {{-50, 1}, {0, 1}, {99, 1}, {100, 5}, {400, 5}};
    for (const auto& [t, x] : expected)
        EXPECT_FLOAT_EQ(node->GetNodeTM(t).GetTrans().x, x) << "at " << t;
    // Without the animate button a change goes to the key in force.
    Matrix3 moved = TransMatrix(Point3(7, 0, 0));
    node->SetNodeTM(150, moved);
    EXPECT_FLOAT_EQ(node->GetNodeTM(100).GetTrans().x, 7.0f);
    EXPECT_FLOAT_EQ(node->GetNodeTM(0).GetTrans().x, 1.0f);
}

namespace {
// What a skin records is taken at its reference frame, whatever the current
// time: bones and the mesh are keyed to stand elsewhere at frame 160.
struct RefFrameCase {
    const char* what;
    TimeValue refFrame;
    TimeValue now;
    float boneX;
    float meshY;
};
} // namespace

TEST_F(MaxsimTest, TheSkinRecordsBonesAndMeshAtItsReferenceFrame) {
    const RefFrameCase cases[] = {
        {"reference frame 0, current time 0", 0, 0, 1, 2},
        {"reference frame 0, current time 160", 0, 160, 1, 2},
        {"reference frame 160, current time 0", 160, 0, 5, 6},
        {"reference frame 160, current time 160", 160, 160, 5, 6},
    };
    for (const RefFrameCase& c : cases) {
        SCOPED_TRACE(c.what);
        Host().Reset();
        INode* bone = NewBone("b", Point3(0, 0, 0));
        static_cast<maxsim::SceneNode*>(bone)->SetNodeTMKey(0, TransMatrix(Point3(1, 0, 0)));
        static_cast<maxsim::SceneNode*>(bone)->SetNodeTMKey(160, TransMatrix(Point3(5, 0, 0)));
        INode* mesh = NewNode(NewQuadAndTriangle(), "mesh");
        static_cast<maxsim::SceneNode*>(mesh)->SetNodeTMKey(0, TransMatrix(Point3(0, 2, 0)));
        static_cast<maxsim::SceneNode*>(mesh)->SetNodeTMKey(160, TransMatrix(Point3(0, 6, 0)));
        mesh->SetObjOffsetPos(Point3(0, 0, 1));
        Host().SetTime(c.now);
        Modifier* skin = AddSkin(mesh);
        static_cast<maxsim::SkinModifier*>(skin)->SetRefFrame(c.refFrame);
        EXPECT_EQ(SkinOf(skin)->GetRefFrame(), int(c.refFrame));
        ASSERT_TRUE(ImportOf(skin)->AddBoneEx(bone, TRUE));
        mesh->EvalWorldState(Now());

        Matrix3 tm;
        ASSERT_EQ(SkinOf(skin)->GetBoneInitTM(bone, tm, false), SKIN_OK);
        EXPECT_TRUE(tm.Equals(TransMatrix(Point3(c.boneX, 0.0f, 0.0f))));
        ASSERT_EQ(SkinOf(skin)->GetSkinInitTM(mesh, tm, false), SKIN_OK);
        EXPECT_TRUE(tm.Equals(TransMatrix(Point3(0.0f, c.meshY, 0.0f))));
        ASSERT_EQ(SkinOf(skin)->GetSkinInitTM(mesh, tm, true), SKIN_OK);
        EXPECT_TRUE(tm.Equals(TransMatrix(Point3(0.0f, c.meshY, 1.0f))));
    }
}

// A bone's init node transform has its stretch in it; its init object
// transform is its whole object transform. A stretched bone left as it was
// bound moves no point; stretching it further scales the points it holds.
TEST_F(MaxsimTest, TheSkinRecordsABonesStretchAndDeformsByIt) {
    const StretchScene s = NewStretchedBone(TRUE, FALSE, BONE_SCALETYPE_SCALE, BONE_AXIS_X);
    s.bone->SetObjOffsetPos(Point3(0, 0, 1));
    PolyObject* base = NewQuadAndTriangle();
    INode* mesh = NewNode(base, "mesh");
    Modifier* skin = AddSkin(mesh);
    ASSERT_TRUE(ImportOf(skin)->AddBoneEx(s.bone, TRUE));
    mesh->EvalWorldState(Now());
    for (int v = 0; v < base->mm.numv; ++v)
        ASSERT_TRUE(SetWeights(skin, mesh, v, {s.bone}, {1.0f}));

    const Matrix3 stretched = ScaleMatrix(Point3(2, 1, 1));
    Matrix3 tm;
    ASSERT_EQ(SkinOf(skin)->GetBoneInitTM(s.bone, tm, false), SKIN_OK);
    EXPECT_TRUE(tm.Equals(stretched * s.bone->GetNodeTM(Now())));
    ASSERT_EQ(SkinOf(skin)->GetBoneInitTM(s.bone, tm, true), SKIN_OK);
    EXPECT_TRUE(tm.Equals(TransMatrix(Point3(0, 0, 1)) * stretched * s.bone->GetNodeTM(Now())));

    const std::vector<Point3> rest = WorldPoints(mesh);
    for (int v = 0; v < base->mm.numv; ++v)
        ExpectNear(rest[size_t(v)], base->GetPoint(v));
    Matrix3 further = TransMatrix(Point3(12, 0, 0));
    s.child->SetNodeTM(Now(), further);
    const std::vector<Point3> pulled = WorldPoints(mesh);
    for (int v = 0; v < base->mm.numv; ++v) {
        const Point3 p = base->GetPoint(v);
        ExpectNear(pulled[size_t(v)], Point3(p.x * 1.5f, p.y, p.z));
    }
}

// A skinned mesh follows its bones' keys as the time changes.
TEST_F(MaxsimTest, ASkinnedMeshFollowsKeyedBonesAcrossTimeChanges) {
    INode* bone = NewBone("b", Point3(0, 0, 0));
    static_cast<maxsim::SceneNode*>(bone)->SetNodeTMKey(0, Matrix3(TRUE));
    static_cast<maxsim::SceneNode*>(bone)->SetNodeTMKey(160, TransMatrix(Point3(0, 0, 3)));
    PolyObject* base = NewQuadAndTriangle();
    INode* mesh = NewNode(base, "mesh");
    Modifier* skin = AddSkin(mesh);
    ASSERT_TRUE(ImportOf(skin)->AddBoneEx(bone, TRUE));
    mesh->EvalWorldState(Now());
    for (int v = 0; v < base->mm.numv; ++v)
        ASSERT_TRUE(SetWeights(skin, mesh, v, {bone}, {1.0f}));
    ExpectNear(WorldPoints(mesh)[2], Point3(2, 1, 0));
    Host().SetTime(160);
    ExpectNear(WorldPoints(mesh)[2], Point3(2, 1, 3));
    Host().SetTime(0);
    ExpectNear(WorldPoints(mesh)[2], Point3(2, 1, 0));
}

// The loader's way: transforms set after the bones were added replace what
// the skin recorded, stretch and all.
TEST_F(MaxsimTest, SetBoneTmAndSetSkinTmReplaceWhatTheSkinRecorded) {
    const StretchScene s = NewStretchedBone(TRUE, FALSE, BONE_SCALETYPE_SCALE, BONE_AXIS_X);
    INode* mesh = NewNode(NewQuadAndTriangle(), "mesh");
    Modifier* skin = AddSkin(mesh);
    ASSERT_TRUE(ImportOf(skin)->AddBoneEx(s.bone, TRUE));
    mesh->EvalWorldState(Now());
    const Matrix3 boneObject = TransMatrix(Point3(1, 2, 3));
    const Matrix3 boneNode = RotateZMatrix(0.5f);
    const Matrix3 meshObject = TransMatrix(Point3(0, 0, 4));
    const Matrix3 meshNode = RotateXMatrix(0.25f);
    ASSERT_TRUE(ImportOf(skin)->SetBoneTm(s.bone, boneObject, boneNode));
    ASSERT_TRUE(ImportOf(skin)->SetSkinTm(mesh, meshObject, meshNode));
    Matrix3 tm;
    ASSERT_EQ(SkinOf(skin)->GetBoneInitTM(s.bone, tm, false), SKIN_OK);
    EXPECT_TRUE(tm == boneNode);
    ASSERT_EQ(SkinOf(skin)->GetBoneInitTM(s.bone, tm, true), SKIN_OK);
    EXPECT_TRUE(tm == boneObject);
    ASSERT_EQ(SkinOf(skin)->GetSkinInitTM(mesh, tm, false), SKIN_OK);
    EXPECT_TRUE(tm == meshNode);
    ASSERT_EQ(SkinOf(skin)->GetSkinInitTM(mesh, tm, true), SKIN_OK);
    EXPECT_TRUE(tm == meshObject);
}

#include "MaxsimFixture.h"

#include <functional>
#include <string>

// What the pipeline shares, and the rules about what a plug-in may change:
// each case here breaks one rule on purpose and takes the break, so that the
// fixture's own check at the end passes.
class MaxsimHostRulesTest : public MaxsimTest {
protected:
    // A quad and a triangle under a skin on one bone that moved after
    // binding, with one live texture channel: its evaluation is a pipeline
    // result that owns its points and shares everything else.
    struct Skinned {
        PolyObject* base;
        INode* node;
        Modifier* skin;
    };
    static Skinned NewSkinned() {
        Skinned s;
        s.base = NewQuadAndTriangle();
        s.base->mm.SetMapNum(2);
        s.base->mm.InitMap(1);
        s.node = NewNode(s.base, "skinned");
        INode* bone = NewBone("bone", Point3(0, 0, 0));
        s.skin = AddSkin(s.node);
        ImportOf(s.skin)->AddBoneEx(bone, TRUE);
        s.node->EvalWorldState(Now());
        for (int v = 0; v < s.base->mm.numv; ++v)
            EXPECT_TRUE(SetWeights(s.skin, s.node, v, {bone}, {1.0f}));
        Matrix3 moved(TRUE);
        moved.SetTrans(Point3(0, 0, 4));
        bone->SetNodeTM(Now(), moved);
        return s;
    }

    static bool AnyBreakMentions(const std::vector<std::string>& breaks, const std::string& text) {
        for (const std::string& b : breaks)
            if (b.find(text) != std::string::npos)
                return true;
        return false;
    }
};

TEST_F(MaxsimHostRulesTest, ASkinsResultOwnsItsPointsAndSharesTheRest) {
    Skinned s = NewSkinned();
    PolyObject* result = static_cast<PolyObject*>(s.node->EvalWorldState(Now()).obj);
    ASSERT_NE(result, s.base);
    EXPECT_EQ(result->mm.numv, 5);
    ExpectNear(result->mm.P(0), Point3(0, 0, 4));
    ExpectNear(s.base->mm.P(0), Point3(0, 0, 0));
    // Points are the skin's own; faces and maps are the base object's arrays.
    EXPECT_NE(result->mm.v, s.base->mm.v);
    EXPECT_EQ(result->mm.f, s.base->mm.f);
    EXPECT_EQ(result->mm.M(1), s.base->mm.M(1));
    EXPECT_EQ(result->GetChannelLocks() & GEOM_CHANNEL, 0u);
    EXPECT_EQ(result->GetChannelLocks() & (TOPO_CHANNEL | TEXMAP_CHANNEL), ChannelMask(TOPO_CHANNEL | TEXMAP_CHANNEL));
    EXPECT_EQ(s.base->GetChannelLocks(), 0u);
}

// A shallow copy's locked channels are read-only: a change through the copy's
// own mesh operations is a broken rule at once, and the owner of the arrays
// is unchanged only where the operation makes new ones.
TEST_F(MaxsimHostRulesTest, ChangingASharedChannelIsABrokenRule) {
    struct Case {
        const char* name;
        std::function<void(Object*)> change;
        const char* mentions;
    };
    const Case cases[] = {
        {"SetPoint on locked geometry", [](Object* o) { o->SetPoint(0, Point3(9, 9, 9)); }, "SetPoint"},
        {"faces added to shared topology",
         [](Object* o) {
             int tri[3] = {0, 1, 3};
             static_cast<PolyObject*>(o)->mm.CreateFace(3, tri);
         },
         "CreateFace"},
        {"a shared map channel set up again", [](Object* o) { static_cast<PolyObject*>(o)->mm.InitMap(1); }, "InitMap"},
        {"normals specified on a shared mesh", [](Object* o) { static_cast<PolyObject*>(o)->mm.SpecifyNormals(); },
         "SpecifyNormals"},
    };
    for (const Case& c : cases) {
        PolyObject* base = NewQuadAndTriangle();
        base->mm.SetMapNum(2);
        base->mm.InitMap(1);
        Object* copy = base->MakeShallowCopy(OBJ_CHANNELS);
        c.change(copy);
        const std::vector<std::string> breaks = TakeHostRuleBreaks();
        EXPECT_TRUE(AnyBreakMentions(breaks, c.mentions)) << c.name;
        copy->DeleteThis();
        base->DeleteThis();
    }
}

// NewAndCopyChannels (through ReadyChannelsForMod) gives the copy arrays of
// its own: then it may change them, and the object it came from keeps its.
TEST_F(MaxsimHostRulesTest, ReadiedChannelsAreTheCopysOwn) {
    PolyObject* base = NewQuadAndTriangle();
    Object* copy = base->MakeShallowCopy(OBJ_CHANNELS);
    copy->ReadyChannelsForMod(GEOM_CHANNEL | TOPO_CHANNEL);
    EXPECT_EQ(copy->GetChannelLocks() & (GEOM_CHANNEL | TOPO_CHANNEL), 0u);
    copy->SetPoint(0, Point3(9, 9, 9));
    int tri[3] = {0, 1, 3};
    EXPECT_EQ(static_cast<PolyObject*>(copy)->mm.CreateFace(3, tri), 2);
    EXPECT_TRUE(TakeHostRuleBreaks().empty());
    ExpectNear(base->mm.P(0), Point3(0, 0, 0));
    EXPECT_EQ(base->mm.numf, 2);
    copy->FreeChannels(GEOM_CHANNEL);
    EXPECT_EQ(static_cast<PolyObject*>(copy)->mm.numv, 0);
    EXPECT_EQ(base->mm.numv, 5);
    copy->DeleteThis();
    base->DeleteThis();
}

// What EvalWorldState hands out is the host's. A node's own object may be
// changed by whoever tells the host (REFMSG_CHANGE); a pipeline result may
// not be changed at all; a change made in place, past the mesh's own
// operations, is found by the check.
TEST_F(MaxsimHostRulesTest, WhatEvalWorldStateHandsOutIsChangedOnlyAsTheHostAllows) {
    struct Case {
        const char* name;
        bool skinned;
        bool inPlace;
        bool announce;
        bool broken;
    };
    const Case cases[] = {
        {"own object, changed and announced", false, false, true, false},
        {"own object, changed in place and announced", false, true, true, false},
        {"own object, changed without a word", false, false, false, true},
        {"own object, changed in place without a word", false, true, false, true},
        {"pipeline result, changed", true, true, false, true},
        {"pipeline result, changed and announced", true, true, true, true},
    };
    for (const Case& c : cases) {
        Host().Reset();
        INode* node = c.skinned ? NewSkinned().node : NewNode(NewQuadAndTriangle(), "plain");
        PolyObject* handed = static_cast<PolyObject*>(node->EvalWorldState(Now()).obj);
        ASSERT_NE(handed, nullptr) << c.name;
        if (c.inPlace) {
            handed->mm.v[1].p.z += 1.0f; // past every operation of the mesh
        } else {
            handed->mm.v[1].SetFlag(MN_DEAD);
            handed->mm.CollapseDeadStructs();
        }
        if (c.announce)
            handed->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
        const std::vector<std::string> breaks = TakeHostRuleBreaks();
        EXPECT_EQ(!breaks.empty(), c.broken) << c.name << (breaks.empty() ? "" : ": " + breaks[0]);
        if (c.broken) {
            EXPECT_TRUE(AnyBreakMentions(breaks, c.skinned ? "pipeline's result" : "without the host being told"))
                << c.name;
        }
    }
}

// A poly mesh with faces enters the pipeline filled in; invalidating its
// topology takes that away until FillInMesh.
TEST_F(MaxsimHostRulesTest, AnUnfilledMeshInThePipelineIsABrokenRule) {
    PolyObject* poly = NewQuadAndTriangle();
    INode* node = NewNode(poly, "mesh");
    node->EvalWorldState(Now());
    EXPECT_TRUE(TakeHostRuleBreaks().empty());

    poly->mm.InvalidateTopoCache(true);
    poly->NotifyDependents(FOREVER, PART_TOPO, REFMSG_CHANGE);
    node->EvalWorldState(Now());
    EXPECT_TRUE(AnyBreakMentions(TakeHostRuleBreaks(), "not filled in"));

    poly->mm.FillInMesh();
    poly->NotifyDependents(FOREVER, PART_TOPO, REFMSG_CHANGE);
    node->EvalWorldState(Now());
    EXPECT_TRUE(TakeHostRuleBreaks().empty());
}

#include <set>
#include <vector>

#include "MaxsimFixture.h"
#include "PrimitiveObject.h"
#include "SceneNode.h"

using MaxsimSceneTest = MaxsimTest;

TEST_F(MaxsimSceneTest, NewNodesHangBelowTheRootWithUniqueHandles) {
    std::set<ULONG> handles{Host().GetRootNode()->GetHandle()};
    for (int i = 0; i < 5; ++i) {
        INode* n = NewNode(NewPoly(), "Box");
        EXPECT_EQ(n->GetParentNode(), Host().GetRootNode());
        EXPECT_TRUE(handles.insert(n->GetHandle()).second);
        EXPECT_EQ(Host().GetINodeByHandle(n->GetHandle()), n);
    }
    EXPECT_EQ(Host().GetRootNode()->NumberOfChildren(), 5);
    EXPECT_TRUE(Host().GetRootNode()->IsRootNode());
}

TEST_F(MaxsimSceneTest, HandlesAreNotReusedAfterADeletion) {
    INode* a = NewNode(NewPoly(), "a");
    const ULONG first = a->GetHandle();
    Host().DeleteNode(a);
    EXPECT_NE(NewNode(NewPoly(), "b")->GetHandle(), first);
}

TEST_F(MaxsimSceneTest, ChildrenFollowTheirParentAndKeepTheirPlaceWhenAttached) {
    INode* parent = NewNode(NewPoly(), "parent");
    INode* child = NewNode(NewPoly(), "child");
    Matrix3 p = TransMatrix(Point3(10, 0, 0));
    parent->SetNodeTM(Now(), p);
    Matrix3 c = TransMatrix(Point3(0, 5, 0));
    child->SetNodeTM(Now(), c);

    parent->AttachChild(child, TRUE);
    EXPECT_TRUE(child->GetNodeTM(Now()).Equals(c));

    Matrix3 moved = RotateZMatrix(1.0f) * TransMatrix(Point3(10, 0, 0));
    parent->SetNodeTM(Now(), moved);
    EXPECT_TRUE(child->GetNodeTM(Now()).Equals(c * Inverse(p) * moved, 1e-5f));
}

TEST_F(MaxsimSceneTest, ANodeCannotBecomeItsOwnDescendant) {
    INode* a = NewNode(NewPoly(), "a");
    INode* b = NewNode(NewPoly(), "b");
    a->AttachChild(b);
    b->AttachChild(a);
    EXPECT_EQ(b->GetParentNode(), a);
    EXPECT_EQ(a->GetParentNode(), Host().GetRootNode());
}

TEST_F(MaxsimSceneTest, ObjectTransformAppliesTheOffsetBeforeTheNodeTransform) {
    INode* n = NewNode(NewPoly(), "n");
    Matrix3 tm = RotateZMatrix(0.5f) * TransMatrix(Point3(1, 2, 3));
    n->SetNodeTM(Now(), tm);
    EXPECT_TRUE(n->GetObjectTM(Now()).Equals(n->GetNodeTM(Now())));

    n->SetObjOffsetPos(Point3(0, 0, 4));
    n->SetObjOffsetScale(ScaleValue(Point3(2, 2, 2)));
    const Matrix3 expected = ScaleMatrix(Point3(2, 2, 2)) * TransMatrix(Point3(0, 0, 4)) * tm;
    EXPECT_TRUE(n->GetObjectTM(Now()).Equals(expected, 1e-5f));
    EXPECT_FALSE(n->GetObjectTM(Now()).Equals(n->GetNodeTM(Now())));
}

TEST_F(MaxsimSceneTest, DeletingANodeMovesItsChildrenToItsParentInPlace) {
    INode* a = NewNode(NewPoly(), "a");
    INode* b = NewNode(NewPoly(), "b");
    Matrix3 at = TransMatrix(Point3(3, 0, 0));
    a->SetNodeTM(Now(), at);
    Matrix3 bt = TransMatrix(Point3(0, 7, 0));
    b->SetNodeTM(Now(), bt);
    a->AttachChild(b);
    Host().DeleteNode(a);
    EXPECT_EQ(b->GetParentNode(), Host().GetRootNode());
    EXPECT_TRUE(b->GetNodeTM(Now()).Equals(bt));
    EXPECT_EQ(Host().GetINodeByName("a"), nullptr);
}

TEST_F(MaxsimSceneTest, SelectionFollowsSelectNodeAndItsClearFlag) {
    INode* a = NewNode(NewPoly(), "a");
    INode* b = NewNode(NewPoly(), "b");
    Host().SelectNode(a);
    Host().SelectNode(b, FALSE);
    EXPECT_TRUE(a->Selected());
    EXPECT_TRUE(b->Selected());
    Host().SelectNode(b);
    EXPECT_FALSE(a->Selected());
    EXPECT_EQ(Host().GetSelNodeCount(), 1);
    EXPECT_EQ(Host().GetSelNode(0), b);
}

TEST_F(MaxsimSceneTest, NamesAreWritableCopies) {
    INode* n = NewNode(NewPoly(), "first");
    char name[] = "a|b";
    n->SetName(name);
    name[0] = 'x';
    EXPECT_STREQ(n->GetName(), "a|b");
    EXPECT_EQ(Host().GetINodeByName("a|b"), n);
}

TEST_F(MaxsimSceneTest, ReplacingANodesObjectDeletesTheOldOneUnlessHeld) {
    INode* n = NewNode(NewPoly(), "n");
    Object* held = n->GetObjectRef();
    held->SetAFlag(A_LOCK_TARGET);
    n->SetObjectRef(NewPoly());
    // Still alive: it can be unlocked and let go.
    held->ClearAFlag(A_LOCK_TARGET);
    EXPECT_EQ(held->MaybeAutoDelete(), REF_SUCCEED);
}

TEST_F(MaxsimSceneTest, ResetBoneStretchFitsABoneToItsChild) {
    INode* a = NewBone("a", Point3(0, 0, 0));
    INode* b = NewBone("b", Point3(0, 7, 0));
    a->AttachChild(b);
    a->ResetBoneStretch(Now());
    auto* bone = dynamic_cast<maxsim::PrimitiveObject*>(a->GetObjectRef());
    ASSERT_NE(bone, nullptr);
    EXPECT_FLOAT_EQ(bone->GetLength(), 7.0f);
    EXPECT_EQ(static_cast<maxsim::SceneNode*>(a)->GetStretchResetCount(), 1);
}

// A name that no node bears is kept; a taken one gets the number after the
// highest that nodes of its root bear, gaps not filled, three digits at least.
TEST_F(MaxsimSceneTest, MakeNameUniqueNumbersATakenNameAfterTheHighest) {
    const struct {
        std::vector<const char*> taken;
        const char* name;
        const char* expected;
    } cases[] = {
        {{"Box"}, "Bone", "Bone"},
        {{"Box"}, "Box", "Box001"},
        {{"Box", "Box001", "Box004"}, "Box", "Box005"},
        {{"Box001", "Box004"}, "Box004", "Box005"},
        {{"Box2000"}, "Box2000", "Box2001"},
        {{"Boxer", "Box01x"}, "Boxer", "Boxer001"},
        {{"7"}, "7", "008"},
        {{}, "", "001"},
    };
    for (const auto& c : cases) {
        Host().Reset();
        for (const char* name : c.taken)
            NewNode(NewPoly(), name);
        TSTR name(c.name);
        Host().MakeNameUnique(name);
        EXPECT_STREQ(name.data(), c.expected) << c.name;
    }
}

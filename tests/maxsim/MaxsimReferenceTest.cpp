#include "MaxsimFixture.h"

using MaxsimReferenceTest = MaxsimTest;

namespace {
// Watches one target and records what it hears.
class Watcher : public ReferenceTarget {
public:
    explicit Watcher(RefResult answer = REF_SUCCEED, bool dropOnDestroy = true)
        : m_answer(answer), m_drop(dropOnDestroy) {}
    ~Watcher() override {
        if (m_drop)
            DeleteAllRefs();
    }
    SClass_ID SuperClassID() override { return REF_TARGET_CLASS_ID; }
    // Watchers live on the stack.
    RefResult AutoDelete() override { return REF_FAIL; }
    int NumRefs() override { return 1; }
    RefTargetHandle GetReference(int i) override { return i == 0 ? target : nullptr; }
    void SetReference(int i, RefTargetHandle t) override {
        if (i == 0)
            target = t;
    }
    RefResult NotifyRefChanged(Interval, RefTargetHandle h, PartID& part, RefMessage message) override {
        heard.push_back({h, part, message});
        return m_answer;
    }

    struct Heard {
        RefTargetHandle from;
        PartID part;
        RefMessage message;
    };
    RefTargetHandle target = nullptr;
    std::vector<Heard> heard;

private:
    RefResult m_answer;
    bool m_drop;
};
} // namespace

TEST_F(MaxsimReferenceTest, NotifyDependentsReachesTheWatcherWithItsPartAndMessage) {
    PolyObject* p = NewPoly();
    Watcher w;
    ASSERT_EQ(w.ReplaceReference(0, p), REF_SUCCEED);
    p->NotifyDependents(FOREVER, PART_TEXMAP, 0x103);
    ASSERT_EQ(w.heard.size(), 1u);
    EXPECT_EQ(w.heard[0].from, p);
    EXPECT_EQ(w.heard[0].part, PartID(PART_TEXMAP));
    EXPECT_EQ(w.heard[0].message, 0x103u);
}

TEST_F(MaxsimReferenceTest, MessagesTravelUpTheChainUnlessStopped) {
    INode* node = NewNode(NewPoly(), "n");
    Watcher nodeWatcher;
    nodeWatcher.ReplaceReference(0, node);
    node->GetObjectRef()->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
    ASSERT_EQ(nodeWatcher.heard.size(), 1u);
    EXPECT_EQ(nodeWatcher.heard[0].from, node);

    // A watcher that answers REF_STOP keeps the message from its own
    // watchers; one that answers REF_SUCCEED passes it on.
    for (RefResult answer : {REF_STOP, REF_SUCCEED}) {
        PolyObject* p = NewPoly();
        Watcher middle(answer);
        Watcher top;
        middle.ReplaceReference(0, p);
        top.ReplaceReference(0, &middle);
        p->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
        EXPECT_EQ(middle.heard.size(), 1u);
        EXPECT_EQ(top.heard.size(), answer == REF_STOP ? 0u : 1u);
        top.DeleteReference(0);
        middle.DeleteReference(0);
    }
}

TEST_F(MaxsimReferenceTest, ADeletedTargetTellsItsWatchersAndLeavesTheirSlotsEmpty) {
    PolyObject* p = NewPoly();
    Watcher w;
    w.ReplaceReference(0, p);
    p->DeleteThis();
    ASSERT_EQ(w.heard.size(), 1u);
    EXPECT_EQ(w.heard[0].message, RefMessage(REFMSG_TARGET_DELETED));
    EXPECT_EQ(w.target, nullptr);
}

TEST_F(MaxsimReferenceTest, DroppingTheLastReferenceDeletesTheTargetUnlessHeld) {
    Watcher w;
    Watcher other;
    PolyObject* p = NewPoly();
    w.ReplaceReference(0, p);
    other.ReplaceReference(0, p);
    w.DeleteReference(0);
    w.heard.clear();
    other.heard.clear();
    // Still referenced by `other`: alive, and other still hears it.
    p->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
    EXPECT_EQ(other.heard.size(), 1u);
    EXPECT_TRUE(w.heard.empty());

    p->SetAFlag(A_LOCK_TARGET);
    other.DeleteReference(0);
    p->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
    p->ClearAFlag(A_LOCK_TARGET);
    EXPECT_EQ(p->MaybeAutoDelete(), REF_SUCCEED);
}

TEST_F(MaxsimReferenceTest, AWatcherDestroyedFirstIsForgottenByItsTarget) {
    PolyObject* p = NewPoly();
    {
        Watcher w(REF_SUCCEED, false);
        w.MakeRefByID(FOREVER, 0, p);
        EXPECT_TRUE(p->HasDependents());
    }
    EXPECT_FALSE(p->HasDependents());
    p->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
    p->DeleteThis();
}

// A kit that watches an object must hear when someone else drops or replaces
// a reference to it (a node getting a new object), and when one is added.
TEST_F(MaxsimReferenceTest, OtherWatchersHearReferencesRemovedAndAdded) {
    PolyObject* p = NewPoly();
    PolyObject* q = NewPoly();
    Watcher kit;
    Watcher holder;
    kit.ReplaceReference(0, p);
    holder.ReplaceReference(0, p);
    ASSERT_EQ(kit.heard.size(), 1u);
    EXPECT_EQ(kit.heard[0].message, RefMessage(REFMSG_REF_ADDED));
    EXPECT_EQ(kit.heard[0].from, p);
    EXPECT_TRUE(holder.heard.empty()) << "the maker does not hear of its own new reference";

    kit.heard.clear();
    holder.ReplaceReference(0, q);
    ASSERT_EQ(kit.heard.size(), 1u);
    EXPECT_EQ(kit.heard[0].message, RefMessage(REFMSG_REF_DELETED));
    EXPECT_EQ(kit.heard[0].from, p);
    EXPECT_TRUE(holder.heard.empty());

    kit.heard.clear();
    kit.ReplaceReference(0, q);
    ASSERT_EQ(holder.heard.size(), 1u);
    EXPECT_EQ(holder.heard[0].message, RefMessage(REFMSG_REF_ADDED));
    // p lost its last reference with kit's replacement and is gone; q stays.
    holder.heard.clear();
    kit.DeleteReference(0);
    ASSERT_EQ(holder.heard.size(), 1u);
    EXPECT_EQ(holder.heard[0].message, RefMessage(REFMSG_REF_DELETED));
    EXPECT_EQ(holder.heard[0].from, q);
}

TEST_F(MaxsimReferenceTest, ReplacingANodesObjectTellsTheOldObjectsWatchers) {
    PolyObject* first = NewQuadAndTriangle();
    INode* node = NewNode(first, "n");
    Watcher kit;
    kit.ReplaceReference(0, first);
    kit.heard.clear();
    node->SetObjectRef(NewQuadAndTriangle());
    ASSERT_FALSE(kit.heard.empty());
    EXPECT_EQ(kit.heard.back().message, RefMessage(REFMSG_REF_DELETED));
    EXPECT_EQ(kit.heard.back().from, first);
    EXPECT_EQ(kit.target, first) << "still referenced by the kit, so not deleted";
}

#include "DerivedObject.h"
#include "MaxsimFixture.h"

using MaxsimModifierStackTest = MaxsimTest;

namespace {
// Moves every point by an offset: enough to see a stack's order and its
// switches.
class OffsetModifier : public Modifier {
public:
    explicit OffsetModifier(Point3 d) : m_d(d) {}
    Class_ID ClassID() override { return Class_ID(0x0ff5e7, 1); }
    void ModifyObject(TimeValue, ModContext&, ObjectState* os, INode*) override {
        for (int i = 0; i < os->obj->NumPoints(); ++i)
            os->obj->SetPoint(i, os->obj->GetPoint(i) + m_d);
        ++calls;
    }
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override { return REF_SUCCEED; }
    int calls = 0;

private:
    Point3 m_d;
};

class ScaleModifier : public Modifier {
public:
    Class_ID ClassID() override { return Class_ID(0x0ff5e7, 2); }
    void ModifyObject(TimeValue, ModContext&, ObjectState* os, INode*) override {
        for (int i = 0; i < os->obj->NumPoints(); ++i)
            os->obj->SetPoint(i, os->obj->GetPoint(i) * 2.0f);
    }
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override { return REF_SUCCEED; }
};
} // namespace

TEST_F(MaxsimModifierStackTest, EvaluationRunsTheEnabledModifiersBottomUpOnACopy) {
    PolyObject* base = NewQuadAndTriangle();
    INode* node = NewNode(base, "n");
    IDerivedObject* d = CreateDerivedObject(base);
    auto* offset = new OffsetModifier(Point3(1, 0, 0));
    d->AddModifier(offset);            // bottom after the next one
    d->AddModifier(new ScaleModifier); // top
    node->SetObjectRef(d);

    Object* result = node->EvalWorldState(Now()).obj;
    ASSERT_NE(result, base);
    // (p + 1) * 2 for point (2,1,0).
    ExpectNear(result->GetPoint(2), Point3(6, 2, 0));
    ExpectNear(base->GetPoint(2), Point3(2, 1, 0));

    offset->DisableMod();
    ExpectNear(node->EvalWorldState(Now()).obj->GetPoint(2), Point3(4, 2, 0));
    d->GetModifier(0)->DisableMod();
    EXPECT_EQ(node->EvalWorldState(Now()).obj, base);
}

TEST_F(MaxsimModifierStackTest, DisabledInViewsChangesNothingHere) {
    INode* node = NewNode(NewQuadAndTriangle(), "n");
    IDerivedObject* d = CreateDerivedObject(node->GetObjectRef());
    d->AddModifier(new OffsetModifier(Point3(0, 0, 5)));
    node->SetObjectRef(d);
    const Point3 before = node->EvalWorldState(Now()).obj->GetPoint(0);
    d->GetModifier(0)->DisableModInViews();
    EXPECT_EQ(node->EvalWorldState(Now()).obj->GetPoint(0), before);
    EXPECT_FALSE(d->GetModifier(0)->IsEnabledInViews());
}

TEST_F(MaxsimModifierStackTest, TheResultStaysUntilSomethingBelowChanges) {
    PolyObject* base = NewQuadAndTriangle();
    INode* node = NewNode(base, "n");
    IDerivedObject* d = CreateDerivedObject(base);
    auto* offset = new OffsetModifier(Point3(1, 0, 0));
    d->AddModifier(offset);
    node->SetObjectRef(d);

    Object* first = node->EvalWorldState(Now()).obj;
    EXPECT_EQ(node->EvalWorldState(Now()).obj, first);
    Host().SetTime(Now() + 160);
    EXPECT_EQ(node->EvalWorldState(Now()).obj, first);
    EXPECT_EQ(offset->calls, 1);

    base->mm.P(0) = Point3(-5, 0, 0);
    base->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
    ExpectNear(node->EvalWorldState(Now()).obj->GetPoint(0), Point3(-4, 0, 0));
    EXPECT_EQ(offset->calls, 2);
}

TEST_F(MaxsimModifierStackTest, APartialEvaluationStopsAtTheGivenModifier) {
    INode* node = NewNode(NewQuadAndTriangle(), "n");
    IDerivedObject* d = CreateDerivedObject(node->GetObjectRef());
    d->AddModifier(new OffsetModifier(Point3(1, 0, 0)));
    d->AddModifier(new ScaleModifier);
    node->SetObjectRef(d);
    Object* whole = node->EvalWorldState(Now()).obj;
    ExpectNear(d->Eval(Now(), 1).obj->GetPoint(2), Point3(3, 1, 0));
    // The whole-stack result is still the one handed out before.
    EXPECT_EQ(node->EvalWorldState(Now()).obj, whole);
    ExpectNear(whole->GetPoint(2), Point3(6, 2, 0));
}

TEST_F(MaxsimModifierStackTest, StacksNestAndFindTheirBaseObject) {
    PolyObject* base = NewQuadAndTriangle();
    INode* node = NewNode(base, "n");
    IDerivedObject* inner = CreateDerivedObject(base);
    inner->AddModifier(new OffsetModifier(Point3(1, 0, 0)));
    IDerivedObject* outer = CreateDerivedObject(inner);
    outer->AddModifier(new OffsetModifier(Point3(0, 1, 0)));
    node->SetObjectRef(outer);
    EXPECT_EQ(outer->FindBaseObject(), base);
    ExpectNear(node->EvalWorldState(Now()).obj->GetPoint(0), Point3(1, 1, 0));
    EXPECT_EQ(static_cast<maxsim::DerivedObject*>(inner)->FindNode(), node);
}

// The result of a stack is the pipeline's: it goes with the stack, and
// whoever kept a reference to it is left with none. A plug-in that wants
// the result as an object of its own copies it.
TEST_F(MaxsimModifierStackTest, TheResultGoesWithTheStackThatMadeIt) {
    INode* node = NewNode(NewQuadAndTriangle(), "n");
    IDerivedObject* d = CreateDerivedObject(node->GetObjectRef());
    d->AddModifier(new OffsetModifier(Point3(1, 0, 0)));
    node->SetObjectRef(d);
    Object* result = node->EvalWorldState(Now()).obj;
    ASSERT_NE(result, nullptr);
    // Wrapping the evaluated object in a new stack replaces the old one,
    // which goes with its cache, result and all.
    IDerivedObject* wrapper = CreateDerivedObject(result);
    node->SetObjectRef(wrapper);
    EXPECT_EQ(wrapper->GetObjRef(), nullptr);
    EXPECT_EQ(node->EvalWorldState(Now()).obj, nullptr);
}

// After a node's object was replaced, InvalidateObCache makes its next
// evaluation run the pipeline again; the host records each call.
TEST_F(MaxsimModifierStackTest, InvalidateObCacheThrowsTheCachedResultAway) {
    PolyObject* base = NewQuadAndTriangle();
    INode* node = NewNode(base, "n");
    IDerivedObject* d = CreateDerivedObject(base);
    auto* offset = new OffsetModifier(Point3(1, 0, 0));
    d->AddModifier(offset);
    node->SetObjectRef(d);
    node->EvalWorldState(Now());
    node->EvalWorldState(Now());
    EXPECT_EQ(offset->calls, 1);

    GetCOREInterface7()->InvalidateObCache(node);
    node->EvalWorldState(Now());
    EXPECT_EQ(offset->calls, 2);
    ASSERT_EQ(Host().ObCacheInvalidations().size(), 1u);
    EXPECT_EQ(Host().ObCacheInvalidations()[0], node);
}

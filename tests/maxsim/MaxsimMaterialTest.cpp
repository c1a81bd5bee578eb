#include "MaxsimFixture.h"

using MaxsimMaterialTest = MaxsimTest;

TEST_F(MaxsimMaterialTest, AMultiMaterialHoldsSubMaterialsAndEmptySlots) {
    MultiMtl* multi = NewDefaultMultiMtl();
    multi->SetNumSubMtls(3);
    StdMat2* a = NewDefaultStdMat();
    a->SetName(TSTR("A"));
    multi->SetSubMtl(0, a);
    multi->SetSubMtl(2, NewDefaultStdMat());
    EXPECT_EQ(multi->NumSubMtls(), 3);
    EXPECT_EQ(multi->GetSubMtl(0), a);
    EXPECT_EQ(multi->GetSubMtl(1), nullptr);
    EXPECT_EQ(multi->GetSubMtl(5), nullptr);
    EXPECT_TRUE(multi->ClassID() == Class_ID(0x200, 0));
    EXPECT_EQ(multi->SuperClassID(), MATERIAL_CLASS_ID);
    EXPECT_STREQ(a->GetName().data(), "A");
    INode* n = NewNode(NewPoly(), "n");
    n->SetMtl(multi);
    EXPECT_EQ(n->GetMtl(), multi);
}

TEST_F(MaxsimMaterialTest, TheSceneLibraryHoldsEachNodeMaterialOnce) {
    StdMat2* m = NewDefaultStdMat();
    INode* a = NewNode(NewPoly(), "a");
    INode* b = NewNode(NewPoly(), "b");
    a->SetMtl(m);
    b->SetMtl(m);
    MtlBaseLib* lib = GetCOREInterface()->GetSceneMtls();
    ASSERT_EQ(lib->Count(), 1);
    EXPECT_EQ((*lib)[0], m);
    // The library keeps the material when no node uses it any more.
    a->SetMtl(nullptr);
    b->SetMtl(nullptr);
    EXPECT_EQ(lib->Count(), 1);
    EXPECT_STREQ((*lib)[0]->GetName().data(), m->GetName().data());
}

TEST_F(MaxsimMaterialTest, MaterialsAreCreatedForTheKnownClassesWithNames) {
    for (ULONG a : {0x2ul, 0x3ul, 0x100ul, 0x200ul, 0x210ul, 0x250ul}) {
        Mtl* m = static_cast<Mtl*>(Host().CreateInstance(MATERIAL_CLASS_ID, Class_ID(a, 0)));
        ASSERT_NE(m, nullptr);
        EXPECT_TRUE(m->ClassID() == Class_ID(a, 0));
        EXPECT_GT(m->GetName().Length(), 0);
        m->DeleteThis();
    }
}

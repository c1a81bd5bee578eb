#include "KitsFixture.h"

#include "max.h"

#include "imtl.h"
#include "merrow/Platform/3dsmax/HIndexItemList.h"
#include "merrow/Platform/3dsmax/HPluginModule.h"

using merrow::platform_3dsmax::HIndexItemList;
using merrow::platform_3dsmax::HObject;
using merrow::platform_3dsmax::HObjectFilter;
using merrow::platform_3dsmax::HPluginModule;

namespace {

std::vector<INode*> Nodes(const orlo::UArray<HObject>& handles) {
    std::vector<INode*> out;
    for (const HObject& h : handles) {
        EXPECT_EQ(h.GetKind(), HObject::KIND_NODE);
        EXPECT_EQ(h.GetHash(), HObject::Hash(h.GetPointer()));
        out.push_back(h.GetNode());
    }
    return out;
}

} // namespace

TEST_F(KitsTest, EmptySceneAndEmptyMaskGiveNothing) {
    for (uint32_t kinds : {0u, 1u, 2u, 4u, 8u, 15u})
        EXPECT_EQ(HPluginModule::GetFromScene(kinds, false).Num(), 0) << kinds;
    NewMeshNode("mesh");
    EXPECT_EQ(HPluginModule::GetFromScene(0, false).Num(), 0);
}

TEST_F(KitsTest, MeshesAreNodesWhoseObjectsBecomePolysDepthFirst) {
    INode* a = NewMeshNode("a");
    INode* b = NewMeshNode("b");
    INode* c = NewMeshNode("c");
    a->AttachChild(c); // a, c, b in walk order
    INode* shape = NewNode(NewObject(SHAPE_CLASS_ID, Class_ID(SPLINESHAPE_CLASS_ID, 0)), "line");
    NewNode(NewObject(CAMERA_CLASS_ID, Class_ID(SIMPLE_CAM_CLASS_ID, 0)), "camera");
    NewNode(NewObject(LIGHT_CLASS_ID, Class_ID(OMNI_LIGHT_CLASS_ID, 0)), "omni");
    NewNode(NewObject(HELPER_CLASS_ID, Class_ID(DUMMY_CLASS_ID, 0)), "dummy");
    NewBone("bone", Point3(0, 0, 0));
    NewNode(NewObject(GEOMOBJECT_CLASS_ID, Class_ID(0x9125, 0)), "biped");
    INode* tri = NewNode(NewObject(GEOMOBJECT_CLASS_ID, Class_ID(0x3011, 0)), "box");

    // The shape can become a poly, yet shapes are never meshes.
    ASSERT_TRUE(shape->EvalWorldState(Now()).obj->CanConvertToType(Class_ID(POLYOBJ_CLASS_ID, 0)));
    EXPECT_EQ(Nodes(HPluginModule::GetFromScene(1, false)), (std::vector<INode*>{a, c, b, tri}));
}

TEST_F(KitsTest, SelectedOnlyKeepsSelectedMeshesUnderUnselectedParents) {
    INode* group = NewNode(NewObject(HELPER_CLASS_ID, Class_ID(DUMMY_CLASS_ID, 0)), "group");
    INode* parentMesh = NewMeshNode("parentMesh");
    INode* selected = NewMeshNode("selected");
    INode* deep = NewMeshNode("deep");
    group->AttachChild(parentMesh);
    parentMesh->AttachChild(selected);
    selected->AttachChild(deep);
    Host()->SelectNode(selected, TRUE);
    EXPECT_EQ(Nodes(HPluginModule::GetFromScene(1, true)), (std::vector<INode*>{selected}));
    EXPECT_EQ(Nodes(HPluginModule::GetFromScene(1, false)), (std::vector<INode*>{parentMesh, selected, deep}));
}

TEST_F(KitsTest, BonesIncludeEverySkinBoneOnceAfterTheBoneObjects) {
    INode* boneA = NewBone("boneA", Point3(0, 0, 0));
    INode* helperBone = NewNode(NewObject(HELPER_CLASS_ID, Class_ID(BONE_CLASS_ID, 0)), "helperBone");
    NewNode(NewObject(HELPER_CLASS_ID, Class_ID(DUMMY_CLASS_ID, 0)), "dummy");
    INode* meshBone = NewMeshNode("meshBone"); // an ordinary mesh that drives skins
    INode* skinned1 = NewMeshNode("skinned1");
    INode* skinned2 = NewMeshNode("skinned2");
    AddSkin(skinned1, {meshBone, boneA});
    AddSkin(skinned2, {boneA, meshBone});

    const std::vector<INode*> bones = Nodes(HPluginModule::GetFromScene(2, false));
    EXPECT_EQ(bones, (std::vector<INode*>{boneA, helperBone, meshBone}));
    // The mesh bone stands in both lists; an unselected skinned mesh still
    // contributes nothing when only selected meshes count.
    const std::vector<INode*> meshes = Nodes(HPluginModule::GetFromScene(1, false));
    EXPECT_EQ(meshes, (std::vector<INode*>{meshBone, skinned1, skinned2}));
    EXPECT_EQ(Nodes(HPluginModule::GetFromScene(2, true)), (std::vector<INode*>{}));
    Host()->SelectNode(skinned2, TRUE);
    EXPECT_EQ(Nodes(HPluginModule::GetFromScene(2, true)), (std::vector<INode*>{boneA, meshBone}));
    // Both kinds in one call: meshes first, a node in both lists twice.
    EXPECT_EQ(HPluginModule::GetFromScene(3, false).Num(), 3 + 3 - 1);
}

TEST_F(KitsTest, MaterialsAreTheSceneLibraryEntriesOfTheMaterialClasses) {
    Mtl* standard = static_cast<Mtl*>(Host()->CreateInstance(MATERIAL_CLASS_ID, Class_ID(DMTL_CLASS_ID, 0)));
    Mtl* multi = static_cast<Mtl*>(Host()->CreateInstance(MATERIAL_CLASS_ID, Class_ID(MULTI_CLASS_ID, 0)));
    NewMeshNode("a")->SetMtl(standard);
    NewMeshNode("b")->SetMtl(multi);
    orlo::UArray<HObject> materials = HPluginModule::GetFromScene(4, true);
    ASSERT_EQ(materials.Num(), 2);
    EXPECT_EQ(materials[0].GetKind(), HObject::KIND_MATERIAL);
    EXPECT_EQ(materials[0].GetMaterial(), standard);
    EXPECT_EQ(materials[1].GetMaterial(), multi);
    EXPECT_EQ(materials[1].GetHash(), HObject::Hash(reinterpret_cast<uintptr_t>(multi)));
    // Meshes, then materials.
    orlo::UArray<HObject> both = HPluginModule::GetFromScene(1 | 4, false);
    ASSERT_EQ(both.Num(), 4);
    EXPECT_EQ(both[2].GetKind(), HObject::KIND_MATERIAL);
}

TEST_F(KitsTest, IndexItemsNeedTheirInterface) {
    // The stand-in host publishes no function interfaces.
    EXPECT_EQ(HPluginModule::GetFromScene(8, false).Num(), 0);
}

namespace {

// Another plug-in's interface that chose the same id. Its first method after
// GetID sits where an index list has its item count.
class ForeignInterface : public FPInterface {
public:
    Interface_ID GetID() override { return HIndexItemList::ID(); }
    virtual uint32_t Detonate() {
        ++calls;
        return 3;
    }
    int calls = 0;
};

class CountedList : public HIndexItemList {
public:
    explicit CountedList(uint32_t count) : m_count(count) {}
    uint32_t GetItemCount() override { return m_count; }

private:
    uint32_t m_count;
};

// Publishes interfaces to the host for as long as it lives.
class Published {
public:
    explicit Published(std::vector<FPInterface*> interfaces) : m_interfaces(std::move(interfaces)) {
        for (FPInterface* fpi : m_interfaces)
            RegisterCOREInterface(fpi);
    }
    ~Published() {
        for (FPInterface* fpi : m_interfaces)
            UnregisterCOREInterface(fpi);
    }

private:
    std::vector<FPInterface*> m_interfaces;
};

} // namespace

// Kind 8 takes an interface under its id only when this module made it:
// whatever else the host publishes there gives no items and is not called.
TEST_F(KitsTest, IndexItemsComeOnlyFromAListOfThisModule) {
    ForeignInterface foreign;
    CountedList ours(4);
    struct Case {
        const char* what;
        std::vector<FPInterface*> published;
        std::vector<uint32_t> indices;
    };
    const Case cases[] = {
        {"nothing published", {}, {}},
        {"a foreign interface under the id", {&foreign}, {}},
        {"this module's list", {&ours}, {0, 1, 2, 3}},
        {"a foreign interface published before this module's list", {&foreign, &ours}, {}},
        {"this module's list published before a foreign one", {&ours, &foreign}, {0, 1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Published published(c.published);
        const orlo::UArray<HObject> items = HPluginModule::GetFromScene(8, false);
        std::vector<uint32_t> indices;
        for (const HObject& item : items) {
            EXPECT_EQ(item.GetKind(), HObject::KIND_INDEX);
            EXPECT_EQ(item.GetHash(), HObject::Hash(item.GetPointer()));
            indices.push_back(uint32_t(item.GetPointer()));
        }
        EXPECT_EQ(indices, c.indices);
        EXPECT_EQ(foreign.calls, 0);
    }
}

// A list is found while it is published, whichever of the module's lists
// were made or destroyed around it.
TEST_F(KitsTest, AListIsFoundWhilePublished) {
    auto* older = new CountedList(1);
    CountedList list(2);
    auto* newer = new CountedList(3);
    EXPECT_EQ(HIndexItemList::FindPublished(), nullptr);
    {
        Published published({&list});
        EXPECT_EQ(HIndexItemList::FindPublished(), &list);
        delete newer;
        EXPECT_EQ(HIndexItemList::FindPublished(), &list);
        delete older;
        EXPECT_EQ(HIndexItemList::FindPublished(), &list);
    }
    EXPECT_EQ(HIndexItemList::FindPublished(), nullptr);
}

TEST(HPluginModuleTest, FiltersPerKind) {
    const HObjectFilter meshes = HPluginModule::GetObjectFilter(1);
    EXPECT_EQ(meshes.m_includeExact.Num(), 0);
    ASSERT_EQ(meshes.m_includeConvertible.Num(), 1);
    EXPECT_TRUE(HObjectFilter::HoldsExactly(meshes.m_includeConvertible, 0x10, 0x5D21369A, 0));
    EXPECT_EQ(meshes.m_excludeSuperClasses.Num(), 4);
    for (uint32_t s : {0x40u, 0x20u, 0x30u, 0x50u})
        EXPECT_TRUE(HObjectFilter::HoldsSuperClass(meshes.m_excludeSuperClasses, s));
    EXPECT_TRUE(HObjectFilter::HoldsExactly(meshes.m_excludeExact, 0x10, 0x28BF6E8D, 0x2ECCA840));
    EXPECT_TRUE(HObjectFilter::HoldsExactly(meshes.m_excludeExact, 0x10, 0x9125, 0));

    const HObjectFilter bones = HPluginModule::GetObjectFilter(2);
    EXPECT_EQ(bones.m_includeExact.Num(), 3);
    EXPECT_TRUE(HObjectFilter::HoldsExactly(bones.m_includeExact, 0x50, 0x8A63C0, 0));
    EXPECT_TRUE(HObjectFilter::HoldsExactly(bones.m_excludeConvertible, 0x10, 0x3011, 0));

    const HObjectFilter materials = HPluginModule::GetObjectFilter(4);
    EXPECT_EQ(materials.m_includeExact.Num(), 6);
    for (uint32_t c : {2u, 3u, 0x100u, 0x200u, 0x210u, 0x250u})
        EXPECT_TRUE(HObjectFilter::HoldsExactly(materials.m_includeExact, 0xC00, c, 0));

    for (uint32_t other : {0u, 3u, 8u, 16u}) {
        const HObjectFilter none = HPluginModule::GetObjectFilter(other);
        EXPECT_EQ(none.m_includeExact.Num() + none.m_includeConvertible.Num() + none.m_excludeSuperClasses.Num() +
                      none.m_excludeExact.Num() + none.m_excludeConvertible.Num(),
                  0);
    }
}

TEST_F(KitsTest, ProgressDisplayStartsWithBarAndNoTitleAndEnds) {
    HPluginModule::StartProgress();
    ASSERT_EQ(ProgressStarts(), 1u);
    EXPECT_TRUE(ProgressShowsBar());
    EXPECT_FALSE(ProgressEnded());
    HPluginModule::EndProgress();
    EXPECT_TRUE(ProgressEnded());
}

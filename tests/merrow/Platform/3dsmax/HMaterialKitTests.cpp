#include "KitsFixture.h"

#include <string>

#include "max.h"

#include "imtl.h"
#include "merrow/Platform/3dsmax/Kits/HMaterialKit.h"
#include "orlo/ErrorDescription.h"

using merrow::platform_3dsmax::HMaterialKit;
using merrow::platform_3dsmax::HObject;
using merrow::platform_3dsmax::HStatus;

namespace {

std::string Text(const orlo::UBaseString<unsigned char>& s) {
    return s.c_str();
}

Mtl* NewMaterial(const char* name) {
    Mtl* m = static_cast<Mtl*>(GetCOREInterface()->CreateInstance(MATERIAL_CLASS_ID, Class_ID(DMTL_CLASS_ID, 0)));
    m->SetName(name);
    return m;
}

} // namespace

TEST_F(KitsTest, MaterialNamesAndRenaming) {
    Mtl* skin = NewMaterial("Skin");
    NewMeshNode("a")->SetMtl(skin);
    HMaterialKit kit(HObject::FromMaterial(skin));
    EXPECT_EQ(Text(kit.GetName()), "Skin");
    EXPECT_EQ(Text(kit.GetPathName()), "Skin");
    EXPECT_EQ(Text(kit.GetUniqueName()), "Skin");
    EXPECT_EQ(kit.SetName("Leather").GetCode(), HStatus::DONE);
    EXPECT_STREQ(skin->GetName().data(), "Leather");
    EXPECT_EQ(Text(kit.GetPathName()), Text(kit.GetName()));
}

TEST_F(KitsTest, MaterialsSharingANameGetDifferentUniqueNames) {
    Mtl* first = NewMaterial("Skin");
    Mtl* second = NewMaterial("Skin");
    NewMeshNode("a")->SetMtl(first);
    NewMeshNode("b")->SetMtl(second);
    const std::string a = Text(HMaterialKit(HObject::FromMaterial(first)).GetUniqueName());
    const std::string b = Text(HMaterialKit(HObject::FromMaterial(second)).GetUniqueName());
    EXPECT_NE(a, b);
    EXPECT_EQ(a, "Skin_" + std::to_string(reinterpret_cast<uintptr_t>(first)));
    EXPECT_EQ(b.rfind("Skin_", 0), 0u);
    // Asked again, the same answer.
    EXPECT_EQ(Text(HMaterialKit(HObject::FromMaterial(first)).GetUniqueName()), a);
}

TEST_F(KitsTest, UniqueNameOfAMaterialOutsideTheLibraryRaises) {
    Mtl* multi = static_cast<Mtl*>(Host()->CreateInstance(MATERIAL_CLASS_ID, Class_ID(MULTI_CLASS_ID, 0)));
    MultiMtl* asMulti = static_cast<MultiMtl*>(multi);
    asMulti->SetNumSubMtls(1);
    Mtl* sub = NewMaterial("OnlyInside");
    multi->SetSubMtl(0, sub);
    NewMeshNode("a")->SetMtl(multi);
    try {
        HMaterialKit(HObject::FromMaterial(sub)).GetUniqueName();
        FAIL() << "no error raised";
    } catch (const orlo::ErrorDescription& error) {
        EXPECT_STREQ(error.GetMessageText(), "'assure' failed: nameCounts.Contains(uniqueName)");
        EXPECT_STREQ(error.GetFile(), "Platform/3dsmax/Kits/HMaterialKit");
        EXPECT_STREQ(error.GetHistory(), "merrow::platform_3dsmax::HMaterialKit::GetUniqueName()");
    }
}

TEST_F(KitsTest, MaterialKitWithoutAMaterialAnswersDefaults) {
    INode* node = NewMeshNode("n");
    for (const HObject& handle : {HObject::FromMaterial(nullptr), Handle(node), HObject()}) {
        HMaterialKit kit(handle);
        EXPECT_EQ(Text(kit.GetName()), "");
        EXPECT_EQ(Text(kit.GetPathName()), "");
        EXPECT_EQ(Text(kit.GetUniqueName()), "");
        EXPECT_EQ(kit.SetName("x").GetCode(), HStatus::FAILED);
    }
    EXPECT_STREQ(node->GetName(), "n");
}

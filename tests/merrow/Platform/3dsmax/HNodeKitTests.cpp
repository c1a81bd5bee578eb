#include "KitsFixture.h"

#include <string>

#include "merrow/Platform/3dsmax/Kits/HBoneKit.h"
#include "merrow/Platform/3dsmax/Kits/HMatrixConversion.h"
#include "merrow/Platform/3dsmax/Kits/HNodeKit.h"

using merrow::platform_3dsmax::HBoneKit;
using merrow::platform_3dsmax::HMatrixConversion;
using merrow::platform_3dsmax::HNodeKit;
using merrow::platform_3dsmax::HObject;
using merrow::platform_3dsmax::HStatus;
using orlo::TMatrix4;

namespace {

// A transform whose rows all differ: a row/column mix-up shows.
Matrix3 Skewed(float tx, float ty, float tz) {
    Matrix3 tm = RotateZMatrix(0.5f) * RotateXMatrix(0.25f);
    tm.SetTrans(Point3(tx, ty, tz));
    return tm;
}

TMatrix4<float> Rows(const Matrix3& tm) {
    TMatrix4<float> m{};
    for (int r = 0; r < 4; ++r) {
        const Point3 p = tm.GetRow(r);
        m.m[r][0] = p.x;
        m.m[r][1] = p.y;
        m.m[r][2] = p.z;
        m.m[r][3] = r == 3 ? 1.0f : 0.0f;
    }
    return m;
}

std::string Text(const orlo::UBaseString<unsigned char>& s) {
    return s.c_str();
}

} // namespace

TEST(HMatrixConversionTest, RowsCopyAndTheFourthColumnIsZeroThenOne) {
    Matrix3 tm(TRUE);
    tm.SetRow(0, Point3(1, 2, 3));
    tm.SetRow(1, Point3(4, 5, 6));
    tm.SetRow(2, Point3(7, 8, 9));
    tm.SetRow(3, Point3(10, 11, 12));
    const TMatrix4<float> m = HMatrixConversion::ToMatrix4(tm);
    const float expected[4][4] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}, {10, 11, 12, 1}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(m.m[r][c], expected[r][c]) << r << "," << c;
    const Matrix3 back = HMatrixConversion::ToMatrix3(m);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(back.GetRow(r), tm.GetRow(r));
    // The flags are validated: an identity comes back flagged as one.
    EXPECT_TRUE(HMatrixConversion::ToMatrix3(TMatrix4<float>::Identity()).IsIdentity());
    EXPECT_EQ(HMatrixConversion::ToMatrix3(TMatrix4<float>::Identity()).GetIdentFlags(), DWORD(MAT_IDENT));
}

TEST_F(KitsTest, NamesAndRenaming) {
    INode* node = NewMeshNode("Box");
    HNodeKit kit(Handle(node));
    EXPECT_EQ(Text(kit.GetName()), "Box");
    EXPECT_EQ(kit.SetName("Crate").GetCode(), HStatus::DONE);
    EXPECT_STREQ(node->GetName(), "Crate");
    // A selected node stays selected, and the others with it.
    INode* other = NewMeshNode("other");
    Host()->SelectNode(other, TRUE);
    Host()->SelectNode(node, FALSE);
    EXPECT_EQ(kit.SetName("Crate2").GetCode(), HStatus::DONE);
    EXPECT_TRUE(node->Selected());
    EXPECT_TRUE(other->Selected());
}

TEST_F(KitsTest, UniqueNamesAppendTheHandleUntilFree) {
    INode* first = NewMeshNode("Box");
    INode* second = NewMeshNode("Box");
    INode* single = NewMeshNode("Single");
    const std::string h1 = std::to_string(first->GetHandle());
    const std::string h2 = std::to_string(second->GetHandle());
    EXPECT_EQ(Text(HNodeKit(Handle(first)).GetUniqueName()), "Box_" + h1);
    EXPECT_EQ(Text(HNodeKit(Handle(second)).GetUniqueName()), "Box_" + h2);
    EXPECT_EQ(Text(HNodeKit(Handle(single)).GetUniqueName()), "Single");
    // A third node already called Box_<h1>: the first one's handle goes on twice.
    NewMeshNode(("Box_" + h1).c_str());
    EXPECT_EQ(Text(HNodeKit(Handle(first)).GetUniqueName()), "Box_" + h1 + "_" + h1);
    EXPECT_EQ(Text(HNodeKit(Handle(second)).GetUniqueName()), "Box_" + h2);
    // The root counts as well.
    INode* rootNamed = NewMeshNode(Host()->GetRootNode()->GetName());
    EXPECT_EQ(Text(HNodeKit(Handle(rootNamed)).GetUniqueName()),
              std::string(rootNamed->GetName()) + "_" + std::to_string(rootNamed->GetHandle()));
}

TEST_F(KitsTest, PathNamesJoinAncestorsBelowTheRoot) {
    INode* a = NewMeshNode("a|b");
    INode* c = NewMeshNode("c");
    INode* d = NewMeshNode("d");
    a->AttachChild(c);
    c->AttachChild(d);
    EXPECT_EQ(Text(HNodeKit(Handle(a)).GetPathName()), "a_b");
    EXPECT_EQ(Text(HNodeKit(Handle(c)).GetPathName()), "a_b|c");
    EXPECT_EQ(Text(HNodeKit(Handle(d)).GetPathName()), "a_b|c|d");
    EXPECT_EQ(Text(HNodeKit(Handle(Host()->GetRootNode())).GetPathName()), "");
}

TEST_F(KitsTest, WithoutANodeEveryOperationAnswersItsDefault) {
    INode* node = NewMeshNode("n");
    for (const HObject& handle : {HObject(), HObject::FromIndex(3), HObject::FromNode(nullptr),
                                  HObject(reinterpret_cast<uintptr_t>(node), HObject::KIND_MATERIAL)}) {
        HNodeKit kit(handle);
        EXPECT_EQ(kit.SetName("x").GetCode(), HStatus::FAILED);
        EXPECT_EQ(Text(kit.GetName()), "");
        EXPECT_EQ(Text(kit.GetUniqueName()), "");
        EXPECT_EQ(Text(kit.GetPathName()), "");
        EXPECT_EQ(kit.GetTransformationMatrix(0), TMatrix4<float>::Identity());
        EXPECT_EQ(kit.SetTransformationMatrix(TMatrix4<float>::Identity(), 0).GetCode(), HStatus::FAILED);
        EXPECT_EQ(kit.SetTransformationMatrix(TMatrix4<float>::Identity(), 2).GetCode(), HStatus::NOT_SUPPORTED);
    }
    EXPECT_STREQ(node->GetName(), "n");
}

TEST_F(KitsTest, SetObjectRetargetsTheKit) {
    INode* a = NewMeshNode("a");
    INode* b = NewMeshNode("b");
    HNodeKit kit;
    EXPECT_EQ(kit.GetObject().GetKind(), HObject::KIND_EMPTY);
    kit.SetObject(Handle(a));
    EXPECT_EQ(Text(kit.GetName()), "a");
    kit.SetObject(Handle(b));
    EXPECT_EQ(Text(kit.GetName()), "b");
    EXPECT_EQ(kit.GetObject().GetHash(), Handle(b).GetHash());
}

TEST_F(KitsTest, TransformsInWorldAndParentSpace) {
    INode* parent = NewMeshNode("parent");
    INode* child = NewMeshNode("child");
    parent->AttachChild(child);
    Matrix3 parentTM = Skewed(1, 2, 3);
    Matrix3 childTM = Skewed(4, -5, 6) * RotateYMatrix(0.7f);
    parent->SetNodeTM(Now(), parentTM);
    child->SetNodeTM(Now(), childTM);

    HNodeKit parentKit(Handle(parent));
    HNodeKit childKit(Handle(child));
    ExpectMatrixNear(childKit.GetTransformationMatrix(0), Rows(childTM));
    ExpectMatrixNear(childKit.GetTransformationMatrix(1), Rows(childTM * Inverse(parentTM)));
    // A top-level node's parent space is the world.
    ExpectMatrixNear(parentKit.GetTransformationMatrix(1), Rows(parentTM));
    EXPECT_EQ(childKit.GetTransformationMatrix(2), TMatrix4<float>::Identity());

    // Setting in parent space multiplies the parent's transform back in.
    const Matrix3 local = Skewed(0, 1, 0);
    const int invalidations = TMInvalidations(child);
    EXPECT_EQ(childKit.SetTransformationMatrix(Rows(local), 1).GetCode(), HStatus::DONE);
    EXPECT_EQ(TMInvalidations(child), invalidations + 1);
    ExpectMatrixNear(childKit.GetTransformationMatrix(0), Rows(local * parentTM));
    ExpectMatrixNear(childKit.GetTransformationMatrix(1), Rows(local));
    EXPECT_EQ(childKit.SetTransformationMatrix(Rows(local), 2).GetCode(), HStatus::NOT_SUPPORTED);
    EXPECT_EQ(parentKit.SetTransformationMatrix(Rows(local), 1).GetCode(), HStatus::DONE);
    ExpectMatrixNear(parentKit.GetTransformationMatrix(0), Rows(local));
}

TEST_F(KitsTest, ParentHandles) {
    INode* top = NewMeshNode("top");
    INode* child = NewMeshNode("child");
    top->AttachChild(child);
    Mtl* material = static_cast<Mtl*>(Host()->CreateInstance(MATERIAL_CLASS_ID, Class_ID(DMTL_CLASS_ID, 0)));
    EXPECT_EQ(HNodeKit::GetParent(Handle(child)).GetNode(), top);
    for (const HObject& h : {Handle(top), Handle(Host()->GetRootNode()), HObject::FromMaterial(material), HObject()}) {
        const HObject parent = HNodeKit::GetParent(h);
        EXPECT_EQ(parent.GetKind(), HObject::KIND_NODE);
        EXPECT_EQ(parent.GetPointer(), 0u);
        EXPECT_EQ(parent.GetHash(), HObject::Hash(0));
    }
    material->MaybeAutoDelete();
}

TEST_F(KitsTest, BoneCreationSetsTheBoneUpUnderItsParent) {
    HBoneKit root;
    ASSERT_EQ(root.CreateBone(HObject()).GetCode(), HStatus::DONE);
    INode* rootBone = root.GetObject().GetNode();
    ASSERT_NE(rootBone, nullptr);
    EXPECT_TRUE(rootBone->GetParentNode()->IsRootNode());
    EXPECT_TRUE(rootBone->GetObjectRef()->ClassID() == BONE_OBJ_CLASSID);
    EXPECT_TRUE(rootBone->GetBoneAutoAlign());
    EXPECT_TRUE(rootBone->GetBoneNodeOnOff());
    EXPECT_TRUE(rootBone->GetBoneFreezeLen());
    EXPECT_EQ(rootBone->GetBoneScaleType(), 1);
    EXPECT_EQ(rootBone->GetBoneAxis(), 0);

    const int resets = StretchResets(rootBone);
    HBoneKit child;
    ASSERT_EQ(child.CreateBone(root.GetObject()).GetCode(), HStatus::DONE);
    INode* childBone = child.GetObject().GetNode();
    EXPECT_EQ(childBone->GetParentNode(), rootBone);
    EXPECT_EQ(StretchResets(rootBone), resets + 1);

    // Moving the child resets the parent's stretch; the root node counts as
    // a parent too.
    TMatrix4<float> at = TMatrix4<float>::Identity();
    at.m[3][0] = 7;
    EXPECT_EQ(child.SetTransformationMatrix(at, 0).GetCode(), HStatus::DONE);
    EXPECT_EQ(StretchResets(rootBone), resets + 2);
    const int rootResets = StretchResets(Host()->GetRootNode());
    at.m[3][0] = 3;
    EXPECT_EQ(root.SetTransformationMatrix(at, 0).GetCode(), HStatus::DONE);
    EXPECT_EQ(StretchResets(Host()->GetRootNode()), rootResets + 1);
    // Not in space 2, and nothing is reset then.
    EXPECT_EQ(child.SetTransformationMatrix(at, 2).GetCode(), HStatus::NOT_SUPPORTED);
    EXPECT_EQ(StretchResets(rootBone), resets + 2);
    // The child moved with its parent.
    EXPECT_NEAR(childBone->GetNodeTM(Now()).GetTrans().x, 10.0f, 1e-5f);
}

#include "merrow/Platform/3dsmax/Kits/HBoneKit.h"

#include "max.h"

#include "merrow/Platform/3dsmax/HHostClassIDs.h"

namespace merrow::platform_3dsmax {

namespace {

// The bone settings of a new bone: scale type "scale", the x axis.
const int kBoneScaleTypeScale = 1;
const int kBoneAxisX = 0;

} // namespace

HStatus HBoneKit::SetTransformationMatrix(const orlo::TMatrix4<float>& matrix, int32_t space) {
    HStatus status = HNodeKit::SetTransformationMatrix(matrix, space);
    if (status.IsDone()) {
        if (INode* parent = GetNode()->GetParentNode())
            parent->ResetBoneStretch(GetCOREInterface()->GetTime());
    }
    return status;
}

HStatus HBoneKit::CreateBone(const HObject& parent) {
    HStatus status;
    Interface* host = GetCOREInterface();
    const TimeValue t = host->GetTime();
    INode* node = nullptr;
    if (Object* bone =
            static_cast<Object*>(host->CreateInstance(kGeometrySuperClassID, ToClassID(kBoneObjectClassID)))) {
        node = host->CreateObjectNode(bone);
        if (node == nullptr)
            bone->MaybeAutoDelete();
    }
    if (node != nullptr) {
        // Bones show as their geometry, not as lines.
        node->BoneAsLine(FALSE);
        node->SetBoneAutoAlign(TRUE);
        node->SetBoneNodeOnOff(TRUE, t);
        node->SetBoneFreezeLen(TRUE);
        node->SetBoneScaleType(kBoneScaleTypeScale);
        node->SetBoneAxis(kBoneAxisX);
        if (parent.IsValid() && parent.GetNode() != nullptr) {
            parent.GetNode()->AttachChild(node, TRUE);
            parent.GetNode()->ResetBoneStretch(t);
        }
        status.SetCode(HStatus::DONE);
    }
    SetObject(HObject::FromNode(node));
    return status;
}

} // namespace merrow::platform_3dsmax

#include "merrow/Platform/3dsmax/Kits/HSkinAccess.h"

#include "max.h"

#include "merrow/Platform/3dsmax/HHostClassIDs.h"

#include "iparamb2.h"
#include "iskin.h"
#include "merrow/Platform/3dsmax/Kits/HBoneKit.h"
#include "merrow/Platform/3dsmax/Kits/HMatrixConversion.h"
#include "modstack.h"

namespace merrow::platform_3dsmax {

Class_ID HSkinAccess::SkinClassID() {
    return ToClassID(kSkinModifierClassID);
}

Modifier* HSkinAccess::FindModifier(INode* node, const Class_ID& classID) {
    if (node == nullptr)
        return nullptr;
    node->EvalWorldState(GetCOREInterface()->GetTime());
    Object* object = node->GetObjectRef();
    while (object != nullptr && object->SuperClassID() == kDerivedObjectSuperClassID) {
        IDerivedObject* derived = static_cast<IDerivedObject*>(object);
        for (int i = 0; i < derived->NumModifiers(); ++i) {
            Modifier* modifier = derived->GetModifier(i);
            if (modifier != nullptr && modifier->ClassID() == classID)
                return modifier;
        }
        object = derived->GetObjRef();
    }
    return nullptr;
}

orlo::TMatrix4<float> HSkinAccess::GetBindMatrix(const HObject& mesh, HBoneKit& bone) {
    INode* boneNode = bone.GetObject().GetNode();
    if (boneNode == nullptr)
        return orlo::TMatrix4<float>::Identity();
    Modifier* skin = FindModifier(mesh.GetNode(), SkinClassID());
    if (skin == nullptr)
        return orlo::TMatrix4<float>::Identity();
    ISkin* skinInterface = static_cast<ISkin*>(skin->GetInterface(I_SKIN));
    if (skinInterface == nullptr)
        return orlo::TMatrix4<float>::Identity();
    Matrix3 tm(TRUE);
    orlo::TMatrix4<float> result;
    if (skinInterface->GetBoneInitTM(boneNode, tm, false) == SKIN_OK)
        result = HMatrixConversion::ToMatrix4(tm);
    else
        result = bone.GetTransformationMatrix(TRANSFORM_SPACE_WORLD);
    skin->ReleaseInterface(I_SKIN, skinInterface);
    return result;
}

bool HSkinAccess::GetMeshBindTransform(INode* node, Matrix3& out) {
    Modifier* skin = FindModifier(node, SkinClassID());
    if (skin == nullptr)
        return false;
    ISkin* skinInterface = static_cast<ISkin*>(skin->GetInterface(I_SKIN));
    if (skinInterface == nullptr)
        return false;
    Matrix3 tm(TRUE);
    const bool found = skinInterface->GetSkinInitTM(node, tm, true) == SKIN_OK;
    skin->ReleaseInterface(I_SKIN, skinInterface);
    if (found)
        out = tm;
    return found;
}

} // namespace merrow::platform_3dsmax

#pragma once

#include "merrow/Platform/3dsmax/HObject.h"
#include "orlo/Math/TMatrix4.h"

class INode;
class Matrix3;
class Modifier;
class Class_ID;

namespace merrow::platform_3dsmax {

class HBoneKit;

// Reaching a node's skin modifier, and a bone's bind pose in it. The mesh
// kit's skin readers and writers are built on these.
//
//     Modifier* skin = HSkinAccess::FindModifier(node, HSkinAccess::SkinClassID());
//     orlo::TMatrix4<float> bind = HSkinAccess::GetBindMatrix(meshHandle, boneKit);
class HSkinAccess {
public:
    // The skin modifier's class id.
    static Class_ID SkinClassID();

    // The first modifier with the class id on the node's stack, the topmost
    // derived object searched first, each from its first modifier; null
    // without one or without a node. Evaluates the node first.
    static Modifier* FindModifier(INode* node, const Class_ID& classID);

    // The bone's transform when the mesh's skin bound it; the bone's current
    // world transform when the skin does not know the bone; the identity
    // without a skin or without a bone node.
    static orlo::TMatrix4<float> GetBindMatrix(const HObject& mesh, HBoneKit& bone);

    // The object transform that the node's skin recorded when it bound the
    // node: where the bind pose's points stand relative to the bones' bind
    // matrices. False, with out untouched, without a skin or without the
    // skin's data for the node.
    static bool GetMeshBindTransform(INode* node, Matrix3& out);
};

} // namespace merrow::platform_3dsmax

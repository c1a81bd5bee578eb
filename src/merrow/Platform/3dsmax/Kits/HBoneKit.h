#pragma once

#include "merrow/Platform/3dsmax/Kits/HNodeKit.h"

namespace merrow::platform_3dsmax {

// The node kit for bones: creates bone nodes, and keeps the parent bone's
// stretch right when a child's transform is set.
//
//     HBoneKit bone;
//     if (bone.CreateBone(parentHandle).IsDone())
//         bone.SetTransformationMatrix(worldMatrix, TRANSFORM_SPACE_WORLD);
class HBoneKit : public HNodeKit {
public:
    HBoneKit() = default;
    explicit HBoneKit(const HObject& object) : HNodeKit(object) {}

    HStatus SetTransformationMatrix(const orlo::TMatrix4<float>& matrix, int32_t space) override;

    // A new bone node, attached to the parent when the parent handle is
    // valid; the kit handles it afterwards (a null node when the host made none).
    HStatus CreateBone(const HObject& parent);
};

} // namespace merrow::platform_3dsmax

#pragma once

#include "merrow/Platform/3dsmax/Kits/HNodeKit.h"

namespace merrow::platform_3dsmax {

// The kit over a material handle (kind 2): the material's name, renaming,
// and a name unique among the scene material library's entries.
//
//     HMaterialKit kit(materialHandle);
//     orlo::UBaseString<unsigned char> name = kit.GetName();
//
// Without a material every operation answers its default (status 1, an
// empty string). The node operations do nothing useful on a material.
class HMaterialKit : public HNodeKit {
public:
    HMaterialKit() = default;
    explicit HMaterialKit(const HObject& object) : HNodeKit(object) {}

    HStatus SetName(const orlo::UBaseString<unsigned char>& name) override;
    orlo::UBaseString<unsigned char> GetName() override;
    // Raises when the material is not an entry of the scene material library.
    orlo::UBaseString<unsigned char> GetUniqueName() override;
    // Materials have no hierarchy: the name.
    orlo::UBaseString<unsigned char> GetPathName() override;
};

} // namespace merrow::platform_3dsmax

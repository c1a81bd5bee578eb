#pragma once

// The host's class and superclass ids that the host layer names, each
// written once. They are the host's own values and its scenes store them:
// they never change.
//
//   host->CreateInstance(kGeometrySuperClassID, ToClassID(kPolyObjectClassID));
//   if (object->SuperClassID() == kDerivedObjectSuperClassID) ...

#include <cstdint>

#include "max.h"

namespace merrow::platform_3dsmax {

// A host class id's two parts, usable in constant tables (the SDK's
// Class_ID is not a literal type).
struct HHostClassID {
    uint32_t partA;
    uint32_t partB;
};

inline Class_ID ToClassID(const HHostClassID& id) {
    return Class_ID(id.partA, id.partB);
}

// Superclasses.
constexpr SClass_ID kDerivedObjectSuperClassID = 2;
constexpr SClass_ID kGeometrySuperClassID = 0x10;
constexpr SClass_ID kCameraSuperClassID = 0x20;
constexpr SClass_ID kLightSuperClassID = 0x30;
constexpr SClass_ID kShapeSuperClassID = 0x40;
constexpr SClass_ID kHelperSuperClassID = 0x50;
constexpr SClass_ID kObjectSpaceModifierSuperClassID = 0x810;
constexpr SClass_ID kMaterialSuperClassID = 0xC00;

// Classes.
constexpr HHostClassID kPolyObjectClassID{0x5D21369A, 0};
constexpr HHostClassID kBoneObjectClassID{0x28BF6E8D, 0x2ECCA840};
constexpr HHostClassID kSkinModifierClassID{0x0095C723, 0x00015666};
constexpr HHostClassID kStandardMaterialClassID{2, 0};
constexpr HHostClassID kMultiMaterialClassID{0x200, 0};

} // namespace merrow::platform_3dsmax

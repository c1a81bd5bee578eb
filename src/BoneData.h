#pragma once

#include "orlo/Math/TMatrix4.h"
#include "orlo/Utils/TTypeName.h"
#include "orlo/Utils/UBaseString.h"

// One bone block of the text format. A plain record: its arrays relocate it as
// bytes, so nothing in it may point into itself.
struct BoneData {
    orlo::UBaseString<unsigned char> name;
    // Empty when the bone hangs directly below the scene root.
    orlo::UBaseString<unsigned char> parent;
    // Inverse of the bind-pose world matrix; the identity until a file says
    // otherwise, so a bone block without one leaves a defined value.
    orlo::TMatrix4<float> invBaseMatrix = orlo::TMatrix4<float>::Identity();
};

template <>
struct orlo::TIsStructKeyed<BoneData> {
    static constexpr bool value = true;
};

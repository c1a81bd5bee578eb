#pragma once

#include <cmath>

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

// Whether a bind pose, or the inverse bind matrix of one, counts as singular
// (no inverse is taken): the rule |det| <= 1e-5 applied to the matrix scaled
// so that its longest axis has length 1. A matrix scaled as a whole is judged
// as its unscaled self, so that a bone bound at a scale of 100 or 0.01 (files
// from tools that work in centimetres) keeps its inverse, while a pose
// flattened onto a plane or a line, or squeezed along one axis to 1e-5 of the
// others, stays singular. Where the longest axis has length 1 (every pose
// without scale) this is exactly the plain rule.
constexpr float SINGULAR_DETERMINANT = 0.00001f;

inline bool IsSingularPose(const orlo::TMatrix4<float>& matrix) {
    const double det = matrix.Determinant();
    const double longest = matrix.LongestAxis();
    return !(std::fabs(det) > double(SINGULAR_DETERMINANT) * longest * longest * longest);
}

template <>
struct orlo::TIsStructKeyed<BoneData> {
    static constexpr bool value = true;
};

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
// (no inverse is taken). Two rules judge it, and it is singular only when both
// do: the plain rule |det| <= 1e-5, and the same rule applied to the matrix
// scaled so that its longest axis has length 1. The second keeps a bone bound
// at a scale of 0.01 (files from tools that work in centimetres); the first
// keeps a pose that is long along one axis and thin along the others, such as
// axes (10, 0.01, 0.01) with a determinant of 1e-3. A pose flattened onto a
// plane or a line fails both. A pose whose inverse would not be finite (a
// determinant that is a denormal, a scale of about 1e-13) is singular as well:
// its inverse would write inf or nan.
constexpr float SINGULAR_DETERMINANT = 0.00001f;

inline bool IsSingularPose(const orlo::TMatrix4<float>& matrix) {
    const float det = matrix.Determinant();
    const double longest = matrix.LongestAxis();
    const bool plainRule = !(std::fabs(det) > SINGULAR_DETERMINANT);
    const bool scaledRule = !(std::fabs(double(det)) > double(SINGULAR_DETERMINANT) * longest * longest * longest);
    if (plainRule && scaledRule)
        return true;
    // The inverse as the translators compute it: the adjugate scaled by 1/det.
    const float scale = 1.0f / det;
    if (!std::isfinite(scale))
        return true;
    const orlo::TMatrix4<float> adjugate = matrix.Adjugate();
    for (const auto& row : adjugate.m)
        for (float value : row)
            if (!std::isfinite(value * scale))
                return true;
    return false;
}

template <>
struct orlo::TIsStructKeyed<BoneData> {
    static constexpr bool value = true;
};

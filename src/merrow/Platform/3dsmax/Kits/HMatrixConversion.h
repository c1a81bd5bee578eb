#pragma once

#include "orlo/Math/TMatrix4.h"

class Matrix3;

namespace merrow::platform_3dsmax {

// The host's 4x3 matrix and the library's 4x4 one share the row-vector
// convention, so rows copy straight across:
//
//     orlo::TMatrix4<float> m = HMatrixConversion::ToMatrix4(node->GetNodeTM(t));
//     Matrix3 tm = HMatrixConversion::ToMatrix3(m);   // fourth column dropped
class HMatrixConversion {
public:
    // Rows 0-2 get 0 appended, row 3 gets 1.
    static orlo::TMatrix4<float> ToMatrix4(const Matrix3& tm);
    // The fourth column is dropped; the host matrix's flags are validated.
    static Matrix3 ToMatrix3(const orlo::TMatrix4<float>& matrix);
};

} // namespace merrow::platform_3dsmax

#include "merrow/Platform/3dsmax/Kits/HMatrixConversion.h"

#include "max.h"

namespace merrow::platform_3dsmax {

orlo::TMatrix4<float> HMatrixConversion::ToMatrix4(const Matrix3& tm) {
    orlo::TMatrix4<float> result;
    for (int row = 0; row < 4; ++row) {
        const Point3 p = tm.GetRow(row);
        result.m[row][0] = p.x;
        result.m[row][1] = p.y;
        result.m[row][2] = p.z;
        result.m[row][3] = row == 3 ? 1.0f : 0.0f;
    }
    return result;
}

Matrix3 HMatrixConversion::ToMatrix3(const orlo::TMatrix4<float>& matrix) {
    Matrix3 tm(TRUE);
    for (int row = 0; row < 4; ++row)
        tm.SetRow(row, Point3(matrix.m[row][0], matrix.m[row][1], matrix.m[row][2]));
    tm.ValidateFlags();
    return tm;
}

} // namespace merrow::platform_3dsmax

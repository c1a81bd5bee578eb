#include "max.h"

#include "quat.h"

#include <cmath>

// Right-hand rule for row vectors, consistent with RotateZMatrix.
void Quat::MakeMatrix(Matrix3& mat, bool) const {
    const float n = x * x + y * y + z * z + w * w;
    const float s = n > 0.0f ? 2.0f / n : 0.0f;
    const float xx = x * x * s, yy = y * y * s, zz = z * z * s;
    const float xy = x * y * s, xz = x * z * s, yz = y * z * s;
    const float wx = w * x * s, wy = w * y * s, wz = w * z * s;
    mat.SetRow(0, Point3(1.0f - (yy + zz), xy + wz, xz - wy));
    mat.SetRow(1, Point3(xy - wz, 1.0f - (xx + zz), yz + wx));
    mat.SetRow(2, Point3(xz + wy, yz - wx, 1.0f - (xx + yy)));
    mat.SetRow(3, Point3(0.0f, 0.0f, 0.0f));
    mat.ValidateFlags();
}

Quat::Quat(const Matrix3& mat) {
    const Point3 r0 = mat.GetRow(0).Normalize(), r1 = mat.GetRow(1).Normalize(), r2 = mat.GetRow(2).Normalize();
    const float trace = r0.x + r1.y + r2.z;
    if (trace > 0.0f) {
        const float s = std::sqrt(trace + 1.0f) * 2.0f;
        w = 0.25f * s;
        x = (r1.z - r2.y) / s;
        y = (r2.x - r0.z) / s;
        z = (r0.y - r1.x) / s;
    } else if (r0.x > r1.y && r0.x > r2.z) {
        const float s = std::sqrt(1.0f + r0.x - r1.y - r2.z) * 2.0f;
        w = (r1.z - r2.y) / s;
        x = 0.25f * s;
        y = (r1.x + r0.y) / s;
        z = (r2.x + r0.z) / s;
    } else if (r1.y > r2.z) {
        const float s = std::sqrt(1.0f + r1.y - r0.x - r2.z) * 2.0f;
        w = (r2.x - r0.z) / s;
        x = (r1.x + r0.y) / s;
        y = 0.25f * s;
        z = (r2.y + r1.z) / s;
    } else {
        const float s = std::sqrt(1.0f + r2.z - r0.x - r1.y) * 2.0f;
        w = (r0.y - r1.x) / s;
        x = (r2.x + r0.z) / s;
        y = (r2.y + r1.z) / s;
        z = 0.25f * s;
    }
}

Quat QFromAngAxis(float ang, const Point3& axis) {
    const Point3 a = axis.Normalize();
    const float s = std::sin(ang * 0.5f);
    return Quat(a.x * s, a.y * s, a.z * s, std::cos(ang * 0.5f));
}

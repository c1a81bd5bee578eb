#include "QroGltfMath.h"

#include <algorithm>
#include <cmath>

namespace {

using Matrix = QroGltfMath::Matrix;
using Vector = std::array<double, 3>;

double Dot(const Vector& a, const Vector& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Vector Cross(const Vector& a, const Vector& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double Length(const Vector& v) {
    return std::sqrt(Dot(v, v));
}

Vector Column(const Matrix& m, int c) {
    return {m[0][c], m[1][c], m[2][c]};
}

// -x without a negative zero, which would print as -0.0.
double Negated(double x) {
    return 0.0 - x;
}

// Coordinate i of the Y-up frame is coordinate kFrom[i] of the Z-up frame,
// negated for i = 2: (x, y, z) -> (x, z, -y).
const int kFrom[4] = {0, 2, 1, 3};

double Turned(double value, int i) {
    return i == 2 ? Negated(value) : value;
}

} // namespace

Matrix QroGltfMath::Identity() {
    Matrix result{};
    for (int i = 0; i < 4; ++i)
        result[i][i] = 1;
    return result;
}

Matrix QroGltfMath::FromRowVector(const orlo::TMatrix4<float>& matrix) {
    Matrix result{};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            result[column][row] = matrix.m[row][column];
    result[3] = {0, 0, 0, 1};
    return result;
}

Matrix QroGltfMath::Multiply(const Matrix& left, const Matrix& right) {
    Matrix result{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                result[i][j] += left[i][k] * right[k][j];
    return result;
}

bool QroGltfMath::InvertAffine(const Matrix& m, Matrix& inverse) {
    // The 3x3 part by its adjugate, the translation by -A^-1 t.
    double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    double c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    double det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
    // Relative to the size of the axes, so that a small but sound scale is
    // still invertible.
    double size = std::max({Length(Column(m, 0)), Length(Column(m, 1)), Length(Column(m, 2))});
    if (!std::isfinite(det) || size == 0 || std::fabs(det) <= 1e-12 * size * size * size)
        return false;
    Matrix r{};
    r[0][0] = c00 / det;
    r[1][0] = c01 / det;
    r[2][0] = c02 / det;
    r[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    r[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    r[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    r[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    r[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    r[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    for (int i = 0; i < 3; ++i)
        r[i][3] = -(r[i][0] * m[0][3] + r[i][1] * m[1][3] + r[i][2] * m[2][3]);
    r[3] = {0, 0, 0, 1};
    inverse = r;
    return true;
}

QroGltfMath::Trs QroGltfMath::Decompose(const Matrix& m) {
    Trs trs;
    trs.translation = {m[0][3], m[1][3], m[2][3]};
    Vector x = Column(m, 0), y = Column(m, 1), z = Column(m, 2);
    double sx = Length(x), sy = Length(y), sz = Length(z);
    if (sx == 0 || sy == 0 || sz == 0) {
        // No rotation can be read from a flat matrix; its scale says what it does.
        trs.scale = {sx, sy, sz};
        return trs;
    }
    bool mirrored = Dot(Cross(x, y), z) < 0;
    // The nearest rotation: Gram-Schmidt from x, which drops any shear.
    Vector ax = {x[0] / sx, x[1] / sx, x[2] / sx};
    Vector yy = {y[0] - Dot(y, ax) * ax[0], y[1] - Dot(y, ax) * ax[1], y[2] - Dot(y, ax) * ax[2]};
    double ly = Length(yy);
    Vector ay = ly > 0 ? Vector{yy[0] / ly, yy[1] / ly, yy[2] / ly} : Vector{0, 0, 0};
    if (ly == 0) {
        // y along x: any axis at right angles serves.
        Vector helper = std::fabs(ax[0]) < 0.9 ? Vector{1, 0, 0} : Vector{0, 1, 0};
        Vector c = Cross(ax, helper);
        double lc = Length(c);
        ay = {c[0] / lc, c[1] / lc, c[2] / lc};
    }
    Vector az = Cross(ax, ay);
    // A mirror is a negative scale along z.
    trs.scale = {sx, sy, mirrored ? -sz : sz};
    // Quaternion of the rotation whose columns are ax, ay, az.
    double r00 = ax[0], r10 = ax[1], r20 = ax[2];
    double r01 = ay[0], r11 = ay[1], r21 = ay[2];
    double r02 = az[0], r12 = az[1], r22 = az[2];
    double trace = r00 + r11 + r22;
    double qx, qy, qz, qw;
    if (trace > 0) {
        double s = 2 * std::sqrt(trace + 1);
        qw = s / 4;
        qx = (r21 - r12) / s;
        qy = (r02 - r20) / s;
        qz = (r10 - r01) / s;
    } else if (r00 > r11 && r00 > r22) {
        double s = 2 * std::sqrt(1 + r00 - r11 - r22);
        qw = (r21 - r12) / s;
        qx = s / 4;
        qy = (r01 + r10) / s;
        qz = (r02 + r20) / s;
    } else if (r11 > r22) {
        double s = 2 * std::sqrt(1 + r11 - r00 - r22);
        qw = (r02 - r20) / s;
        qx = (r01 + r10) / s;
        qy = s / 4;
        qz = (r12 + r21) / s;
    } else {
        double s = 2 * std::sqrt(1 + r22 - r00 - r11);
        qw = (r10 - r01) / s;
        qx = (r02 + r20) / s;
        qy = (r12 + r21) / s;
        qz = s / 4;
    }
    double length = std::sqrt(qx * qx + qy * qy + qz * qz + qw * qw);
    trs.rotation = {qx / length, qy / length, qz / length, qw / length};
    return trs;
}

Matrix QroGltfMath::Compose(const Trs& trs) {
    double x = trs.rotation[0], y = trs.rotation[1], z = trs.rotation[2], w = trs.rotation[3];
    double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                      {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                      {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
    Matrix m = Identity();
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            m[i][j] = r[i][j] * trs.scale[size_t(j)];
        m[i][3] = trs.translation[size_t(i)];
    }
    return m;
}

double QroGltfMath::Difference(const Matrix& a, const Matrix& b) {
    double size = 1;
    double largest = 0;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            size = std::max({size, std::fabs(a[i][j]), std::fabs(b[i][j])});
            largest = std::max(largest, std::fabs(a[i][j] - b[i][j]));
        }
    return largest / size;
}

std::array<double, 3> QroGltfMath::ToYUp(const std::array<double, 3>& v) {
    return {v[0], v[2], Negated(v[1])};
}

Matrix QroGltfMath::ToYUp(const Matrix& m) {
    // (C M C^-1)[i][j] is M[kFrom[i]][kFrom[j]], negated once for row 2 and
    // once for column 2.
    Matrix result{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            result[i][j] = Turned(Turned(m[kFrom[i]][kFrom[j]], i), j);
    return result;
}

QroGltfMath::Trs QroGltfMath::ToYUp(const Trs& trs) {
    Trs result;
    result.translation = ToYUp(trs.translation);
    // C R C^-1 turns about the turned axis by the same angle.
    std::array<double, 3> axis = ToYUp(std::array<double, 3>{trs.rotation[0], trs.rotation[1], trs.rotation[2]});
    result.rotation = {axis[0], axis[1], axis[2], trs.rotation[3]};
    // C S C^-1 of S = diag(sx, sy, sz) is diag(sx, sz, sy).
    result.scale = {trs.scale[0], trs.scale[2], trs.scale[1]};
    return result;
}

#include "max.h"

#include "matrix3.h"

#include <cmath>

Matrix3::Matrix3() {
    IdentityMatrix();
}

Matrix3::Matrix3(BOOL init) {
    if (init)
        IdentityMatrix();
    else
        Zero();
}

Matrix3::Matrix3(float (*fp)[3]) : flags(0) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] = fp[i][j];
    ValidateFlags();
}

Matrix3::Matrix3(const Point3& U, const Point3& V, const Point3& N, const Point3& T) : flags(0) {
    Set(U, V, N, T);
}

Matrix3& Matrix3::Set(const Point3& U, const Point3& V, const Point3& N, const Point3& T) {
    SetRow(0, U);
    SetRow(1, V);
    SetRow(2, N);
    SetRow(3, T);
    ValidateFlags();
    return *this;
}

void Matrix3::SetRow(int i, Point3 p) {
    m[i][0] = p.x;
    m[i][1] = p.y;
    m[i][2] = p.z;
    flags &= ~DWORD(MAT_IDENT);
}

Point3 Matrix3::GetRow(int i) const {
    return Point3(m[i][0], m[i][1], m[i][2]);
}
Point3 Matrix3::GetColumn3(int i) const {
    return Point3(m[0][i], m[1][i], m[2][i]);
}

void Matrix3::SetColumn3(int i, Point3 col) {
    m[0][i] = col.x;
    m[1][i] = col.y;
    m[2][i] = col.z;
    flags &= ~DWORD(ROT_IDENT | SCL_IDENT);
}

void Matrix3::SetTrans(const Point3 p) {
    m[3][0] = p.x;
    m[3][1] = p.y;
    m[3][2] = p.z;
    flags &= ~DWORD(POS_IDENT);
}

void Matrix3::NoTrans() {
    m[3][0] = m[3][1] = m[3][2] = 0.0f;
    flags |= POS_IDENT;
}

void Matrix3::NoRot() {
    Point3 s = GetScale();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] = i == j ? s[i] : 0.0f;
    flags |= ROT_IDENT;
}

void Matrix3::NoScale() {
    for (int i = 0; i < 3; ++i) {
        Point3 r = GetRow(i).Normalize();
        m[i][0] = r.x;
        m[i][1] = r.y;
        m[i][2] = r.z;
    }
    flags |= SCL_IDENT;
}

void Matrix3::Zero() {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] = 0.0f;
    flags = POS_IDENT;
}

void Matrix3::IdentityMatrix() {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] = i == j ? 1.0f : 0.0f;
    flags = MAT_IDENT;
}

BOOL Matrix3::IsIdentity() const {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j)
            if (m[i][j] != (i == j ? 1.0f : 0.0f))
                return FALSE;
    return TRUE;
}

void Matrix3::ValidateFlags() {
    flags &= ~DWORD(MAT_IDENT);
    if (m[3][0] == 0.0f && m[3][1] == 0.0f && m[3][2] == 0.0f)
        flags |= POS_IDENT;
    bool axesIdentity = true;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (m[i][j] != (i == j ? 1.0f : 0.0f))
                axesIdentity = false;
    if (axesIdentity)
        flags |= ROT_IDENT | SCL_IDENT;
}

void Matrix3::Translate(const Point3& p) {
    m[3][0] += p.x;
    m[3][1] += p.y;
    m[3][2] += p.z;
    ValidateFlags();
}

void Matrix3::PreTranslate(const Point3& p) {
    Translate(VectorTransform(p));
}

void Matrix3::RotateX(float angle) {
    *this *= RotateXMatrix(angle);
}
void Matrix3::RotateY(float angle) {
    *this *= RotateYMatrix(angle);
}
void Matrix3::RotateZ(float angle) {
    *this *= RotateZMatrix(angle);
}

void Matrix3::Scale(const Point3& s, BOOL trans) {
    for (int i = 0; i < (trans ? 4 : 3); ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] *= s[j];
    ValidateFlags();
}

Matrix3& Matrix3::operator-=(const Matrix3& M) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] -= M.m[i][j];
    ValidateFlags();
    return *this;
}

Matrix3& Matrix3::operator+=(const Matrix3& M) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] += M.m[i][j];
    ValidateFlags();
    return *this;
}

Matrix3& Matrix3::operator*=(float s) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] *= s;
    ValidateFlags();
    return *this;
}

// this = this * B: first this transform, then B.
Matrix3& Matrix3::operator*=(const Matrix3& B) {
    MRow r[4];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j) {
            float v = m[i][0] * B.m[0][j] + m[i][1] * B.m[1][j] + m[i][2] * B.m[2][j];
            if (i == 3)
                v += B.m[3][j];
            r[i][j] = v;
        }
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] = r[i][j];
    ValidateFlags();
    return *this;
}

Matrix3 Matrix3::operator*(const Matrix3& B) const {
    Matrix3 r(*this);
    r *= B;
    return r;
}

Matrix3 Matrix3::operator+(const Matrix3& B) const {
    Matrix3 r(*this);
    r += B;
    return r;
}

Matrix3 Matrix3::operator-(const Matrix3& B) const {
    Matrix3 r(*this);
    r -= B;
    return r;
}

int Matrix3::operator==(const Matrix3& B) const {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j)
            if (m[i][j] != B.m[i][j])
                return 0;
    return 1;
}

int Matrix3::Equals(const Matrix3& B, float epsilon) const {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j)
            if (std::fabs(m[i][j] - B.m[i][j]) > epsilon)
                return 0;
    return 1;
}

// A singular matrix is left unchanged.
void Matrix3::Invert() {
    const float a = m[0][0], b = m[0][1], c = m[0][2];
    const float d = m[1][0], e = m[1][1], f = m[1][2];
    const float g = m[2][0], h = m[2][1], k = m[2][2];
    const float c00 = e * k - f * h, c01 = f * g - d * k, c02 = d * h - e * g;
    const double det = double(a) * c00 + double(b) * c01 + double(c) * c02;
    if (det == 0.0)
        return;
    const float inv = float(1.0 / det);
    MRow r[4];
    r[0][0] = c00 * inv;
    r[0][1] = (c * h - b * k) * inv;
    r[0][2] = (b * f - c * e) * inv;
    r[1][0] = c01 * inv;
    r[1][1] = (a * k - c * g) * inv;
    r[1][2] = (c * d - a * f) * inv;
    r[2][0] = c02 * inv;
    r[2][1] = (b * g - a * h) * inv;
    r[2][2] = (a * e - b * d) * inv;
    for (int j = 0; j < 3; ++j)
        r[3][j] = -(m[3][0] * r[0][j] + m[3][1] * r[1][j] + m[3][2] * r[2][j]);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] = r[i][j];
    ValidateFlags();
}

Point3 Matrix3::PointTransform(const Point3& p) const {
    return Point3(p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0],
                  p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1],
                  p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2]);
}

Point3 Matrix3::VectorTransform(const Point3& p) const {
    return Point3(p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0], p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1],
                  p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2]);
}

void Matrix3::TransformPoints(Point3* array, int n) {
    for (int i = 0; i < n; ++i)
        array[i] = PointTransform(array[i]);
}

void Matrix3::TransformVectors(Point3* array, int n) {
    for (int i = 0; i < n; ++i)
        array[i] = VectorTransform(array[i]);
}

Point3 Matrix3::GetScale() const {
    return Point3(GetRow(0).Length(), GetRow(1).Length(), GetRow(2).Length());
}

Matrix3 Inverse(const Matrix3& M) {
    Matrix3 r(M);
    r.Invert();
    return r;
}

Point3 operator*(const Matrix3& A, const Point3& V) {
    return A.PointTransform(V);
}
Point3 operator*(const Point3& V, const Matrix3& A) {
    return A.PointTransform(V);
}
Point3 VectorTransform(const Matrix3& M, const Point3& V) {
    return M.VectorTransform(V);
}
Point3 VectorTransform(const Point3& V, const Matrix3& M) {
    return M.VectorTransform(V);
}

Matrix3 TransMatrix(const Point3& p) {
    Matrix3 r;
    r.SetTrans(p);
    r.ValidateFlags();
    return r;
}

Matrix3 ScaleMatrix(const Point3& s) {
    Matrix3 r;
    r.Scale(s);
    return r;
}

// Rotations follow the right-hand rule for row vectors.
Matrix3 RotateXMatrix(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return Matrix3(Point3(1.0f, 0.0f, 0.0f), Point3(0.0f, c, s), Point3(0.0f, -s, c), Point3(0.0f, 0.0f, 0.0f));
}

Matrix3 RotateYMatrix(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return Matrix3(Point3(c, 0.0f, -s), Point3(0.0f, 1.0f, 0.0f), Point3(s, 0.0f, c), Point3(0.0f, 0.0f, 0.0f));
}

Matrix3 RotateZMatrix(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return Matrix3(Point3(c, s, 0.0f), Point3(-s, c, 0.0f), Point3(0.0f, 0.0f, 1.0f), Point3(0.0f, 0.0f, 0.0f));
}

#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "matrix3.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "coreexp.h"
#include "maxheap.h"
#include "point3.h"

class Quat;

#define POS_IDENT 1
#define ROT_IDENT 2
#define SCL_IDENT 4
#define MAT_IDENT (POS_IDENT | ROT_IDENT | SCL_IDENT)

typedef float MRow[3];

// A 4x3 affine transform: rows 0-2 are the axes, row 3 the translation.
// Points are row vectors: p' = p * M.
class CoreExport Matrix3 : public MaxHeapOperators {
public:
    Matrix3();
    explicit Matrix3(BOOL init);
    explicit Matrix3(float (*fp)[3]);
    Matrix3(const Point3& U, const Point3& V, const Point3& N, const Point3& T);

    const Point3& operator[](int i) const { return *reinterpret_cast<const Point3*>(m[i]); }
    MRow* GetAddr() { return m; }
    const MRow* GetAddr() const { return m; }

    Matrix3& Set(const Point3& U, const Point3& V, const Point3& N, const Point3& T);
    void SetRow(int i, Point3 p);
    Point3 GetRow(int i) const;
    Point3 GetColumn3(int i) const;
    void SetColumn3(int i, Point3 col);
    void SetTrans(const Point3 p);
    Point3 GetTrans() const { return Point3(m[3][0], m[3][1], m[3][2]); }
    void NoTrans();
    void NoRot();
    void NoScale();
    void Zero();
    void IdentityMatrix();
    BOOL IsIdentity() const;

    void Translate(const Point3& p);
    void RotateX(float angle);
    void RotateY(float angle);
    void RotateZ(float angle);
    void Scale(const Point3& s, BOOL trans = FALSE);
    void PreTranslate(const Point3& p);

    Matrix3& operator-=(const Matrix3& M);
    Matrix3& operator+=(const Matrix3& M);
    Matrix3& operator*=(const Matrix3& B);
    Matrix3& operator*=(float s);
    Matrix3 operator*(const Matrix3& B) const;
    Matrix3 operator+(const Matrix3& B) const;
    Matrix3 operator-(const Matrix3& B) const;
    int operator==(const Matrix3& B) const;
    int operator!=(const Matrix3& B) const { return !(*this == B); }
    int Equals(const Matrix3& B, float epsilon = 1e-6f) const;

    // A singular matrix is left unchanged.
    void Invert();
    Point3 PointTransform(const Point3& p) const;
    Point3 VectorTransform(const Point3& p) const;
    void TransformPoints(Point3* array, int n);
    void TransformVectors(Point3* array, int n);
    Point3 GetScale() const;

    DWORD GetIdentFlags() const { return flags & MAT_IDENT; }
    void SetIdentFlags(DWORD f) { flags = (flags & ~DWORD(MAT_IDENT)) | (f & MAT_IDENT); }
    void ClearIdentFlag(DWORD f) { flags &= ~f; }
    void ValidateFlags();

private:
    // Rows are changed through SetRow and the like, which keep the flags
    // right; the host does not hand out writable rows.
    Point3& operator[](int i) { return *reinterpret_cast<Point3*>(m[i]); }

    MRow m[4];
    DWORD flags;
};

CoreExport Matrix3 Inverse(const Matrix3& M);
CoreExport Point3 operator*(const Matrix3& A, const Point3& V);
CoreExport Point3 operator*(const Point3& V, const Matrix3& A);
CoreExport Point3 VectorTransform(const Matrix3& M, const Point3& V);
CoreExport Point3 VectorTransform(const Point3& V, const Matrix3& M);
CoreExport Matrix3 TransMatrix(const Point3& p);
CoreExport Matrix3 ScaleMatrix(const Point3& s);
CoreExport Matrix3 RotateXMatrix(float angle);
CoreExport Matrix3 RotateYMatrix(float angle);
CoreExport Matrix3 RotateZMatrix(float angle);

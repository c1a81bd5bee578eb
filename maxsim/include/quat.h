#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "quat.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "coreexp.h"
#include "matrix3.h"
#include "point3.h"

// A rotation quaternion (x, y, z, w).
class CoreExport Quat : public MaxHeapOperators {
public:
    float x, y, z, w;

    Quat() : x(0.0f), y(0.0f), z(0.0f), w(1.0f) {}
    Quat(float X, float Y, float Z, float W) : x(X), y(Y), z(Z), w(W) {}
    explicit Quat(const Matrix3& mat);

    Quat& Identity() {
        x = y = z = 0.0f;
        w = 1.0f;
        return *this;
    }
    int IsIdentity() const { return x == 0.0f && y == 0.0f && z == 0.0f && w == 1.0f; }
    int operator==(const Quat& q) const { return x == q.x && y == q.y && z == q.z && w == q.w; }
    void MakeMatrix(Matrix3& mat, bool flag = false) const;
};

// A quaternion for the rotation of angle radians about axis.
CoreExport Quat QFromAngAxis(float ang, const Point3& axis);

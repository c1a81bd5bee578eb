#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "point3.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "coreexp.h"
#include "maxheap.h"

class CoreExport Point3 : public MaxHeapOperators {
public:
    float x, y, z;

    Point3() : x(0.0f), y(0.0f), z(0.0f) {}
    Point3(float X, float Y, float Z) : x(X), y(Y), z(Z) {}
    Point3(double X, double Y, double Z) : x(float(X)), y(float(Y)), z(float(Z)) {}
    Point3(int X, int Y, int Z) : x(float(X)), y(float(Y)), z(float(Z)) {}
    explicit Point3(const float af[3]) : x(af[0]), y(af[1]), z(af[2]) {}

    float& operator[](int i) { return (&x)[i]; }
    const float& operator[](int i) const { return (&x)[i]; }
    operator float*() { return &x; }

    Point3 operator-() const { return Point3(-x, -y, -z); }
    Point3 operator+() const { return *this; }
    Point3& operator-=(const Point3& a) {
        x -= a.x;
        y -= a.y;
        z -= a.z;
        return *this;
    }
    Point3& operator+=(const Point3& a) {
        x += a.x;
        y += a.y;
        z += a.z;
        return *this;
    }
    Point3& operator*=(float f) {
        x *= f;
        y *= f;
        z *= f;
        return *this;
    }
    Point3& operator/=(float f) {
        x /= f;
        y /= f;
        z /= f;
        return *this;
    }
    Point3& Set(float X, float Y, float Z) {
        x = X;
        y = Y;
        z = Z;
        return *this;
    }

    Point3 operator-(const Point3& b) const { return Point3(x - b.x, y - b.y, z - b.z); }
    Point3 operator+(const Point3& b) const { return Point3(x + b.x, y + b.y, z + b.z); }
    Point3 operator*(float f) const { return Point3(x * f, y * f, z * f); }
    Point3 operator/(float f) const { return Point3(x / f, y / f, z / f); }
    Point3 operator*(const Point3& b) const { return Point3(x * b.x, y * b.y, z * b.z); }
    // Dot and cross products, as the host spells them.
    float operator%(const Point3& b) const { return x * b.x + y * b.y + z * b.z; }
    Point3 operator^(const Point3& b) const { return Point3(y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x); }
    int operator==(const Point3& p) const { return p.x == x && p.y == y && p.z == z; }
    int operator!=(const Point3& p) const { return p.x != x || p.y != y || p.z != z; }
    int Equals(const Point3& p, float epsilon = 1e-6f) const;

    float Length() const;
    float LengthSquared() const { return x * x + y * y + z * z; }
    Point3 Normalize() const;
    Point3 FNormalize() const { return Normalize(); }

    static const Point3 Origin;
    static const Point3 XAxis;
    static const Point3 YAxis;
    static const Point3 ZAxis;
};

inline Point3 operator*(float f, const Point3& a) {
    return a * f;
}
inline float DotProd(const Point3& a, const Point3& b) {
    return a % b;
}
inline Point3 CrossProd(const Point3& a, const Point3& b) {
    return a ^ b;
}
CoreExport float Length(const Point3& v);
CoreExport float FLength(const Point3& v);
CoreExport float LengthSquared(const Point3& v);
CoreExport Point3 Normalize(const Point3& v);
CoreExport Point3 FNormalize(const Point3& v);

typedef Point3 UVVert;
typedef Point3 VertColor;

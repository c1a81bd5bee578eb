#include "max.h"

#include "point3.h"

#include <cmath>

const Point3 Point3::Origin(0.0f, 0.0f, 0.0f);
const Point3 Point3::XAxis(1.0f, 0.0f, 0.0f);
const Point3 Point3::YAxis(0.0f, 1.0f, 0.0f);
const Point3 Point3::ZAxis(0.0f, 0.0f, 1.0f);

int Point3::Equals(const Point3& p, float epsilon) const {
    return std::fabs(p.x - x) <= epsilon && std::fabs(p.y - y) <= epsilon && std::fabs(p.z - z) <= epsilon;
}

float Point3::Length() const {
    return std::sqrt(x * x + y * y + z * z);
}

// A zero vector stays zero rather than becoming NaN.
Point3 Point3::Normalize() const {
    float l = Length();
    if (l == 0.0f)
        return Point3(0.0f, 0.0f, 0.0f);
    return Point3(x / l, y / l, z / l);
}

float Length(const Point3& v) {
    return v.Length();
}
float FLength(const Point3& v) {
    return v.Length();
}
float LengthSquared(const Point3& v) {
    return v.LengthSquared();
}
Point3 Normalize(const Point3& v) {
    return v.Normalize();
}
Point3 FNormalize(const Point3& v) {
    return v.Normalize();
}

#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "control.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "point3.h"
#include "quat.h"

// A scale along the axes of a rotated frame.
class ScaleValue : public MaxHeapOperators {
public:
    Point3 s;
    Quat q;

    ScaleValue() : s(1.0f, 1.0f, 1.0f) {}
    explicit ScaleValue(const Point3& as) : s(as) {}
    ScaleValue(const Point3& as, const Quat& aq) : s(as), q(aq) {}
};

#pragma once

namespace orlo {

// Three components stored in order, nothing else; copied as bytes.
template <class T>
struct TVector3 {
    T x;
    T y;
    T z;

    friend bool operator==(const TVector3&, const TVector3&) = default;
};

} // namespace orlo

#pragma once

namespace orlo {

// Two components stored in order, nothing else; copied as bytes.
template <class T>
struct TVector2 {
    T x;
    T y;

    friend bool operator==(const TVector2&, const TVector2&) = default;
};

} // namespace orlo

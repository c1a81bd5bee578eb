#pragma once

namespace orlo {

// A 4x4 matrix stored row by row, in the host's row-vector convention: rows 0
// to 2 are the axes, row 3 the translation, and a point p maps to p * M.
template <class T>
struct TMatrix4 {
    T m[4][4];

    static TMatrix4 Identity() {
        TMatrix4 result{};
        for (int i = 0; i < 4; ++i)
            result.m[i][i] = T(1);
        return result;
    }

    T* operator[](int row) { return m[row]; }
    const T* operator[](int row) const { return m[row]; }

    friend bool operator==(const TMatrix4&, const TMatrix4&) = default;
};

} // namespace orlo

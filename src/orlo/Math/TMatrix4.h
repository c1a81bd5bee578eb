#pragma once

#include <cmath>

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

    // The determinant of the 3x3 matrix left when `row` and `column` are
    // removed, expanded along its first row.
    T Minor(int row, int column) const {
        T a[3][3];
        for (int i = 0, r = 0; i < 4; ++i) {
            if (i == row)
                continue;
            for (int j = 0, c = 0; j < 4; ++j) {
                if (j != column)
                    a[r][c++] = m[i][j];
            }
            ++r;
        }
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    }

    // Cofactor expansion along row 0.
    T Determinant() const {
        T det = T(0);
        for (int j = 0; j < 4; ++j)
            det += (j % 2 == 0 ? m[0][j] : -m[0][j]) * Minor(0, j);
        return det;
    }

    // The transposed matrix of cofactors.
    TMatrix4 Adjugate() const {
        TMatrix4 result{};
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 4; ++j) {
                T minor = Minor(j, i);
                result.m[i][j] = (i + j) % 2 == 0 ? minor : -minor;
            }
        }
        return result;
    }

    // The length of the longest of the three axes (the first three entries of
    // rows 0 to 2), in double.
    double LongestAxis() const {
        double longest = 0.0;
        for (int i = 0; i < 3; ++i) {
            const double length =
                std::sqrt(double(m[i][0]) * m[i][0] + double(m[i][1]) * m[i][1] + double(m[i][2]) * m[i][2]);
            if (length > longest)
                longest = length;
        }
        return longest;
    }

    T* operator[](int row) { return m[row]; }
    const T* operator[](int row) const { return m[row]; }

    friend bool operator==(const TMatrix4&, const TMatrix4&) = default;
};

} // namespace orlo

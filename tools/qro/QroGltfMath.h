#pragma once

#include <array>

#include "orlo/Math/TMatrix4.h"

// Double-precision affine transforms in glTF's column-vector convention
// (a point p maps to M p; column 3 is the translation), with the conversions
// a glTF node needs, and the change from the file's Z-up to glTF's Y-up.
class QroGltfMath {
public:
    using Matrix = std::array<std::array<double, 4>, 4>; // [row][column]

    struct Trs {
        std::array<double, 3> translation{0, 0, 0};
        std::array<double, 4> rotation{0, 0, 0, 1}; // x, y, z, w
        std::array<double, 3> scale{1, 1, 1};
    };

    static Matrix Identity();
    // The file's row-vector matrix, written row by row, read as glTF's
    // column-major layout: the transpose. The fourth column of the file's
    // matrix (glTF's bottom row) is taken as 0 0 0 1: both conventions only
    // know affine transforms.
    static Matrix FromRowVector(const orlo::TMatrix4<float>& matrix);
    static Matrix Multiply(const Matrix& left, const Matrix& right);
    // False for a matrix whose axes do not span space (a zero scale, for
    // example); `inverse` is then left alone.
    static bool InvertAffine(const Matrix& matrix, Matrix& inverse);
    // Translation, rotation and scale whose product comes nearest the matrix;
    // a matrix with shear has none that gives it exactly.
    static Trs Decompose(const Matrix& matrix);
    static Matrix Compose(const Trs& trs);
    // The largest difference between two matrices' entries, relative to the
    // size of their entries (at least 1).
    static double Difference(const Matrix& a, const Matrix& b);

    // Z-up to Y-up, C: (x, y, z) -> (x, z, -y), a quarter turn about x. Only
    // entries move and change sign, so every value stays exact. A transform M
    // becomes C M C^-1 (what M does, seen in the turned frame), and a TRS the
    // TRS of that: C t, the rotation's axis turned, the scale's y and z swapped.
    static std::array<double, 3> ToYUp(const std::array<double, 3>& vector);
    static Matrix ToYUp(const Matrix& matrix);
    static Trs ToYUp(const Trs& trs);
};

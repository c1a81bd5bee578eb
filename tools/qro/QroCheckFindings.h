#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "BoneData.h"
#include "MeshData.h"
#include "QroMaterialReader.h"
#include "orlo/Math/TMatrix4.h"
#include "orlo/Utils/UArray.h"

// What a file that the reader accepts still holds that a game engine would
// choke on or that would not survive a round trip: one finding per kind, with
// how often it occurs and where it occurs first.
//
//     std::vector<QroCheckFindings::Finding> findings = QroCheckFindings::Find(bones, meshes, materials);
//     for (const QroCheckFindings::Finding& finding : findings)
//         std::printf("qro: check: %s\n", QroCheckFindings::Describe(finding).c_str());
//
// `materials` is what QroMaterialReader read from the same file: entry k
// belongs to mesh k (a shorter list counts as meshes without materials).
//
// A mesh whose lists do not fit together (counts against lists, indices
// against what they index) is one finding of its own; the rules that walk
// those lists (weights, polygons, material indices) pass over that mesh, so
// that no index is followed out of its list. Its values and names are still
// checked.
class QroCheckFindings {
public:
    // In the order Find reports them.
    enum class Kind {
        RepeatedBoneName,    // a bone whose name an earlier bone already has
        UnreadableName,      // a bone, parent, mesh or material name with '"', CR or LF
        MisfitLists,         // a mesh whose counts or indices do not fit its lists
        WeightSum,           // a weighted vertex whose weights do not sum to 1 within 0.001
        OverFourInfluences,  // a vertex with more than four weights
        UnweightedVertex,    // a vertex without weights in a mesh that has weights
        UnusedBone,          // a bone that no weight of any mesh names
        DegeneratePolygon,   // fewer than three corners, or one vertex at two corners
        NotFinite,           // a NaN or infinite float anywhere in the file
        ZeroNormal,          // a normal shorter than ZERO_NORMAL_LENGTH
        MaterialIndexBeyond, // a polygon's material index at or past its mesh's material names
        SingularBindMatrix,  // an inverse bind matrix with no inverse (IsSingularPose)
        BindMatrixPrecision, // a joint that the four decimals may move or turn past the limits
    };

    struct Finding {
        Kind kind;
        size_t count = 0;
        std::string first; // the first place, as a user reads it: "mesh \"Body\", vertex 17"
    };

    static constexpr double WEIGHT_SUM_TOLERANCE = 0.001;
    static constexpr unsigned int MAX_INFLUENCES = 4;
    // Every non-zero number of the file is at least 0.0001 in size, so this
    // only finds normals that the file holds as 0 0 0.
    static constexpr double ZERO_NORMAL_LENGTH = 1e-6;

    // The worst a stored float can be off: the file keeps four decimals.
    static constexpr double STORED_ROUNDING = 0.5e-4;
    // A joint moved by more than this part of the skeleton's size, or turned
    // by more than this angle, is reported.
    static constexpr double MAX_JOINT_MOVE = 0.001;
    static constexpr double MAX_JOINT_TURN_DEGREES = 0.1;

    static std::vector<Finding> Find(const orlo::UArray<BoneData>& bones, const orlo::UArray<MeshData>& meshes,
                                     const std::vector<QroMaterialReader::Mesh>& materials);

    // The finding as one line for a technical artist, without a prefix:
    // "3 vertices whose weights do not sum to 1 (within 0.001): first in mesh \"Body\", vertex 17".
    static std::string Describe(const Finding& finding);

    // How far the four decimals of a stored inverse bind matrix M can have
    // taken its bind pose B = inverse(M) from the pose that was meant.
    //
    // Write M's affine part as its axes A (rows 0 to 2, columns 0 to 2) and
    // its translation t (row 3); B's axes are the rows of inverse(A) and its
    // joint is j = -t inverse(A). The matrix that was meant is M - E, every
    // element of E at most e = STORED_ROUNDING in size (the fourth column,
    // 0 0 0 1, is exact). With X = E_A inverse(A) and s = |inverse(A)| (the
    // largest stretch of B's axes, the spectral norm):
    //
    //     r = |X| <= |E_A| s <= 3 e s                  (|E_A| <= its Frobenius norm, 3 e)
    //     meant axis k = b_k inverse(I - X)            so |change| / |b_k| <= r / (1 - r)
    //     meant joint  = (j + E_t inverse(A)) inverse(I - X)
    //                                                  so |change| <= (sqrt(3) e s + |j| r) / (1 - r)
    //
    // The turn of an axis is then at most asin(r / (1 - r)) (any turn at all
    // once r / (1 - r) reaches 1, any move once r does). These are bounds
    // for the worst signs of all twelve errors at once, not first-order
    // guesses; a rig bound at a scale of 0.01 (axes of length 0.01 in M, so
    // s = 100) gets r = 0.015, a turn of up to 0.87 degrees, while one at a
    // scale of 1 stays below 0.009 degrees. The joint's move grows with its
    // distance from the origin, because an error of the axes swings t around it.
    struct RoundingBound {
        double move = 0;               // in the file's length unit; infinite when r reaches 1
        double turn = 0;               // in radians; pi when r / (1 - r) reaches 1
        bool valid = false;            // false for a matrix that is singular or not finite
        std::array<double, 3> joint{}; // j, the joint of the bind pose as stored
    };
    static RoundingBound BoundRounding(const orlo::TMatrix4<float>& invBaseMatrix);

    // What a joint's move is measured against: the diagonal of the box around
    // the joints of `joints` (the valid ones), or, when there are fewer than
    // two or they all stand at one place, around the meshes' finite vertices;
    // 0 when neither gives a size.
    static double SkeletonSize(const std::vector<RoundingBound>& joints, const orlo::UArray<MeshData>& meshes);
};

#pragma once

#include <array>
#include <string>
#include <vector>

#include "BoneData.h"
#include "QroGltfMath.h"
#include "orlo/Utils/UArray.h"

// The file's bones as glTF joint nodes: who hangs below whom, each joint's
// bind pose relative to its parent, and the inverse bind matrices.
//
// A bone's parent is the first bone of its parent name; a name that names no
// bone, or whose bone would close a cycle, leaves the bone at the top. The
// bind pose is the inverse of the file's inverse bind matrix, made relative to
// the pose that the parent's node really gets, so that a rounding or a shear
// that a node cannot hold does not travel down the chain.
//
// Poses are worked out in the file's Z-up frame; what a joint hands out is in
// glTF's Y-up frame, each transform M as C M C^-1 (QroGltfMath::ToYUp), so
// that skinning a Y-up vertex C v gives C times the file's result for v.
class QroGltfSkeleton {
public:
    struct Joint {
        std::string name;
        int parent = -1; // a bone index, or -1 at the top
        std::vector<int> children;
        QroGltfMath::Trs local; // Y-up
        // The file's matrix turned to Y-up, in glTF's column-major layout
        // (affine).
        std::array<float, 16> inverseBindMatrix{};
    };

    // Notes for the user (bones that had to be placed differently) are appended.
    QroGltfSkeleton(const orlo::UArray<BoneData>& bones, std::vector<std::string>& notes);

    const std::vector<Joint>& GetJoints() const { return m_joints; }
    const std::vector<int>& GetRoots() const { return m_roots; }

private:
    void FindParents(const orlo::UArray<BoneData>& bones, std::vector<std::string>& notes);
    // Sets the joint's local transform below a parent posed at `parentWorld`;
    // returns the pose the joint's node really gets. Both poses are Z-up.
    QroGltfMath::Matrix PlaceJoint(int bone, const orlo::UArray<BoneData>& bones,
                                   const QroGltfMath::Matrix& parentWorld, std::vector<std::string>& notes);

    std::vector<Joint> m_joints;
    std::vector<int> m_roots;
};

#include "QroGltfSkeleton.h"

#include <cmath>
#include <stdexcept>
#include <unordered_map>

namespace {

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

} // namespace

QroGltfSkeleton::QroGltfSkeleton(const orlo::UArray<BoneData>& bones, std::vector<std::string>& notes) {
    m_joints.resize(size_t(bones.Num()));
    for (int b = 0; b < bones.Num(); ++b) {
        const orlo::TMatrix4<float>& matrix = bones[b].invBaseMatrix;
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                if (!std::isfinite(matrix.m[row][column]))
                    throw std::runtime_error("bone " + std::to_string(b) + " " + Quoted(bones[b].name.c_str()) +
                                             ": its invBaseMatrix holds a value that is not a finite number");
        m_joints[size_t(b)].name = bones[b].name.c_str();
        // Only the affine part counts. Turning moves entries and signs only,
        // so each is still exactly the file's float.
        QroGltfMath::Matrix turned = QroGltfMath::ToYUp(QroGltfMath::FromRowVector(matrix));
        std::array<float, 16>& ibm = m_joints[size_t(b)].inverseBindMatrix;
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                ibm[size_t(column * 4 + row)] = float(turned[row][column]);
    }
    FindParents(bones, notes);
    // Parents before children, without recursion: a chain may be thousands of bones long.
    std::vector<QroGltfMath::Matrix> achieved(m_joints.size());
    std::vector<int> pending(m_roots.rbegin(), m_roots.rend());
    while (!pending.empty()) {
        int bone = pending.back();
        pending.pop_back();
        int parent = m_joints[size_t(bone)].parent;
        achieved[size_t(bone)] =
            PlaceJoint(bone, bones, parent == -1 ? QroGltfMath::Identity() : achieved[size_t(parent)], notes);
        const std::vector<int>& children = m_joints[size_t(bone)].children;
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
}

void QroGltfSkeleton::FindParents(const orlo::UArray<BoneData>& bones, std::vector<std::string>& notes) {
    std::unordered_map<std::string, int> firstOfName;
    for (int b = 0; b < bones.Num(); ++b)
        firstOfName.emplace(m_joints[size_t(b)].name, b);
    for (int b = 0; b < bones.Num(); ++b) {
        const char* parentName = bones[b].parent.c_str();
        if (*parentName == 0)
            continue;
        auto found = firstOfName.find(parentName);
        if (found == firstOfName.end())
            continue; // a node outside the bone list: the bone starts a chain of its own
        int parent = found->second;
        bool cycle = false;
        for (int up = parent; up != -1 && !cycle; up = m_joints[size_t(up)].parent)
            cycle = up == b;
        if (cycle) {
            notes.push_back("bone " + std::to_string(b) + " " + Quoted(m_joints[size_t(b)].name) + ": its parent " +
                            Quoted(parentName) + " would close a cycle; the bone is placed at the top");
            continue;
        }
        m_joints[size_t(b)].parent = parent;
    }
    for (int b = 0; b < bones.Num(); ++b) {
        int parent = m_joints[size_t(b)].parent;
        if (parent == -1)
            m_roots.push_back(b);
        else
            m_joints[size_t(parent)].children.push_back(b);
    }
}

QroGltfMath::Matrix QroGltfSkeleton::PlaceJoint(int bone, const orlo::UArray<BoneData>& bones,
                                                const QroGltfMath::Matrix& parentWorld,
                                                std::vector<std::string>& notes) {
    Joint& joint = m_joints[size_t(bone)];
    QroGltfMath::Matrix world;
    QroGltfMath::Matrix parentInverse;
    bool invertible = QroGltfMath::InvertAffine(QroGltfMath::FromRowVector(bones[bone].invBaseMatrix), world);
    if (!invertible) {
        notes.push_back("bone " + std::to_string(bone) + " " + Quoted(joint.name) +
                        ": its invBaseMatrix cannot be inverted; the joint is placed at its parent");
        world = parentWorld;
    }
    // The parent's pose is always invertible: it is built from invertible parts.
    QroGltfMath::InvertAffine(parentWorld, parentInverse);
    QroGltfMath::Matrix local = QroGltfMath::Multiply(parentInverse, world);
    // Decomposed in the file's frame, so that a shear is dropped as it would
    // be there; the node gets the same transform turned.
    QroGltfMath::Trs trs = QroGltfMath::Decompose(local);
    joint.local = QroGltfMath::ToYUp(trs);
    QroGltfMath::Matrix achieved = QroGltfMath::Multiply(parentWorld, QroGltfMath::Compose(trs));
    if (invertible && QroGltfMath::Difference(achieved, world) > 1e-4)
        notes.push_back("bone " + std::to_string(bone) + " " + Quoted(joint.name) +
                        ": its bind pose is sheared relative to its parent, which a glTF node cannot hold; the "
                        "nearest rotation and scale are used");
    return achieved;
}

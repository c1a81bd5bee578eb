#pragma once
#include "max.h"

#include "iparamb2.h"
#include "iskin.h"
#include "matrix3.h"
#include <utility>
#include <vector>

namespace maxsim {
// The skin's data for one node: the node's transforms when it was bound
// and, per point, (bone slot, weight) pairs.
class CoreExport SkinContextData : public ISkinContextData {
public:
    typedef std::vector<std::pair<int, float>> Weights;

    SkinContextData(int numPoints, const Matrix3& meshObjectTM, const Matrix3& meshNodeTM);

    int GetNumPoints() override;
    int GetNumAssignedBones(int vertexIdx) override;
    int GetAssignedBone(int vertexIdx, int boneIdx) override;
    float GetBoneWeight(int vertexIdx, int boneIdx) override;
    int GetSubCurveIndex(int vertexIdx, int boneIdx) override;
    int GetSubSegmentIndex(int vertexIdx, int boneIdx) override;
    float GetSubSegmentDistance(int vertexIdx, int boneIdx) override;
    Point3 GetTangent(int vertexIdx, int boneIdx) override;
    Point3 GetOPoint(int vertexIdx, int boneIdx) override;

    void SetNumPoints(int numPoints);
    Weights& PointWeights(int vertexIdx) { return m_weights[size_t(vertexIdx)]; }
    const Matrix3& MeshObjectTM() const { return m_meshObjectTM; }
    const Matrix3& MeshNodeTM() const { return m_meshNodeTM; }
    void SetMeshTMs(const Matrix3& objectTM, const Matrix3& nodeTM);

private:
    bool Has(int vertexIdx, int boneIdx) const;

    std::vector<Weights> m_weights;
    Matrix3 m_meshObjectTM;
    Matrix3 m_meshNodeTM;
};
} // namespace maxsim

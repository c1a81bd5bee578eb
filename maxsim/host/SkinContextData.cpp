#include "SkinContextData.h"

namespace maxsim {
SkinContextData::SkinContextData(int numPoints, const Matrix3& meshObjectTM, const Matrix3& meshNodeTM)
    : m_weights(size_t(numPoints > 0 ? numPoints : 0)), m_meshObjectTM(meshObjectTM), m_meshNodeTM(meshNodeTM) {}

int SkinContextData::GetNumPoints() {
    return int(m_weights.size());
}

int SkinContextData::GetNumAssignedBones(int vertexIdx) {
    if (vertexIdx < 0 || vertexIdx >= GetNumPoints())
        return 0;
    return int(m_weights[size_t(vertexIdx)].size());
}

bool SkinContextData::Has(int vertexIdx, int boneIdx) const {
    return vertexIdx >= 0 && size_t(vertexIdx) < m_weights.size() && boneIdx >= 0 &&
           size_t(boneIdx) < m_weights[size_t(vertexIdx)].size();
}

int SkinContextData::GetAssignedBone(int vertexIdx, int boneIdx) {
    return Has(vertexIdx, boneIdx) ? m_weights[size_t(vertexIdx)][size_t(boneIdx)].first : -1;
}

float SkinContextData::GetBoneWeight(int vertexIdx, int boneIdx) {
    return Has(vertexIdx, boneIdx) ? m_weights[size_t(vertexIdx)][size_t(boneIdx)].second : 0.0f;
}

// Bones are straight segments here: no curves, one segment each.
int SkinContextData::GetSubCurveIndex(int, int) {
    return 0;
}
int SkinContextData::GetSubSegmentIndex(int, int) {
    return 0;
}
float SkinContextData::GetSubSegmentDistance(int, int) {
    return 0.0f;
}
Point3 SkinContextData::GetTangent(int, int) {
    return Point3(1.0f, 0.0f, 0.0f);
}
Point3 SkinContextData::GetOPoint(int, int) {
    return Point3(0.0f, 0.0f, 0.0f);
}

void SkinContextData::SetNumPoints(int numPoints) {
    m_weights.resize(size_t(numPoints > 0 ? numPoints : 0));
}

void SkinContextData::SetMeshTMs(const Matrix3& objectTM, const Matrix3& nodeTM) {
    m_meshObjectTM = objectTM;
    m_meshNodeTM = nodeTM;
}
} // namespace maxsim

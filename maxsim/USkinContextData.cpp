#include "USkinContextData.h"

namespace maxsim
{
USkinContextData::USkinContextData(int numPoints, const Matrix3& meshObjectTM, const Matrix3& meshNodeTM)
    : m_weights(size_t(numPoints > 0 ? numPoints : 0)), m_meshObjectTM(meshObjectTM), m_meshNodeTM(meshNodeTM)
{
}

int USkinContextData::GetNumPoints() { return int(m_weights.size()); }

int USkinContextData::GetNumAssignedBones(int vertexIdx)
{
    if (vertexIdx < 0 || vertexIdx >= GetNumPoints())
        return 0;
    return int(m_weights[size_t(vertexIdx)].size());
}

bool USkinContextData::Has(int vertexIdx, int boneIdx) const
{
    return vertexIdx >= 0 && size_t(vertexIdx) < m_weights.size() && boneIdx >= 0 &&
           size_t(boneIdx) < m_weights[size_t(vertexIdx)].size();
}

int USkinContextData::GetAssignedBone(int vertexIdx, int boneIdx)
{
    return Has(vertexIdx, boneIdx) ? m_weights[size_t(vertexIdx)][size_t(boneIdx)].first : -1;
}

float USkinContextData::GetBoneWeight(int vertexIdx, int boneIdx)
{
    return Has(vertexIdx, boneIdx) ? m_weights[size_t(vertexIdx)][size_t(boneIdx)].second : 0.0f;
}

// Bones are straight segments here: no curves, one segment each.
int USkinContextData::GetSubCurveIndex(int, int) { return 0; }
int USkinContextData::GetSubSegmentIndex(int, int) { return 0; }
float USkinContextData::GetSubSegmentDistance(int, int) { return 0.0f; }
Point3 USkinContextData::GetTangent(int, int) { return Point3(1.0f, 0.0f, 0.0f); }
Point3 USkinContextData::GetOPoint(int, int) { return Point3(0.0f, 0.0f, 0.0f); }

void USkinContextData::SetNumPoints(int numPoints) { m_weights.resize(size_t(numPoints > 0 ? numPoints : 0)); }

void USkinContextData::SetMeshTMs(const Matrix3& objectTM, const Matrix3& nodeTM)
{
    m_meshObjectTM = objectTM;
    m_meshNodeTM = nodeTM;
}
} // namespace maxsim

#pragma once
#include "maxheap.h"
#include "point3.h"

// The weights of one skinned node: per point, the bones (as slots of the
// skin's bone list) and their weights.
class ISkinContextData : public MaxHeapOperators
{
public:
    virtual ~ISkinContextData() {}
    virtual int GetNumPoints() = 0;
    virtual int GetNumAssignedBones(int vertexIdx) = 0;
    virtual int GetAssignedBone(int vertexIdx, int boneIdx) = 0;
    virtual float GetBoneWeight(int vertexIdx, int boneIdx) = 0;
    virtual int GetSubCurveIndex(int vertexIdx, int boneIdx) = 0;
    virtual int GetSubSegmentIndex(int vertexIdx, int boneIdx) = 0;
    virtual float GetSubSegmentDistance(int vertexIdx, int boneIdx) = 0;
    virtual Point3 GetTangent(int vertexIdx, int boneIdx) = 0;
    virtual Point3 GetOPoint(int vertexIdx, int boneIdx) = 0;
};

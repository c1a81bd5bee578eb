#pragma once
#include "matrix3.h"
#include "maxheap.h"
#include "tab.h"

class INode;

// Builds a skin: bones, bind transforms and weights.
class ISkinImportData : public MaxHeapOperators
{
public:
    virtual ~ISkinImportData() {}
    virtual BOOL AddBoneEx(INode* boneNode, BOOL update) = 0;
    virtual BOOL SetSkinTm(INode* skinNode, Matrix3 objectTm, Matrix3 nodeTm) = 0;
    virtual BOOL SetBoneTm(INode* boneNode, Matrix3 objectTm, Matrix3 nodeTm) = 0;
    virtual BOOL AddWeights(INode* skinNode, int vertexID, Tab<INode*>& boneNodeList, Tab<float>& weights) = 0;
};

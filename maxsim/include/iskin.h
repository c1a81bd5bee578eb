#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "iskin.h needs max.h included before it, as the SDK's own headers do"
#endif
#ifndef MAXSIM_IPARAMB2_H_INCLUDED
#error "iskin.h needs iparamb2.h included before it, as the SDK's own iskin.h does"
#endif
#include "matrix3.h"
#include "maxheap.h"
#include "plugapi.h"
#include "point3.h"
#include "tab.h"

// The weights of one skinned node: per point, the bones (as slots of the
// skin's bone list) and their weights.
class ISkinContextData : public MaxHeapOperators {
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

class INode;

// Builds a skin: bones, bind transforms and weights.
class ISkinImportData : public MaxHeapOperators {
public:
    virtual ~ISkinImportData() {}
    virtual BOOL AddBoneEx(INode* boneNode, BOOL update) = 0;
    // Replace what the skin recorded for the node when it was applied to it
    // (GetSkinInitTM), or for a bone when it was added (GetBoneInitTM).
    virtual BOOL SetSkinTm(INode* skinNode, Matrix3 objectTm, Matrix3 nodeTm) = 0;
    virtual BOOL SetBoneTm(INode* boneNode, Matrix3 objectTm, Matrix3 nodeTm) = 0;
    virtual BOOL AddWeights(INode* skinNode, int vertexID, Tab<INode*>& boneNodeList, Tab<float>& weights) = 0;
};

class INode;

#define I_SKIN 0x00010000
#define I_SKINIMPORTDATA 0x00020000
#define SKIN_CLASSID Class_ID(0x0095c723, 0x00015666)

#define SKIN_INVALID_NODE_PTR 0
#define SKIN_OK 1

// The skin modifier's interface (GetInterface(I_SKIN)).
class ISkin : public MaxHeapOperators {
public:
    virtual ~ISkin() {}
    // The bone's transform when it was added to the skin, taken at the
    // skin's reference frame: its stretch and node transform
    // (GetStretchTM * GetNodeTM), or its object transform with bObjOffset.
    virtual int GetBoneInitTM(INode* pNode, Matrix3& InitTM, bool bObjOffset = false) = 0;
    // The skinned node's transform when the skin was applied to it, taken at
    // the reference frame: the node transform, or the object transform with
    // bObjOffset.
    virtual int GetSkinInitTM(INode* pNode, Matrix3& InitTM, bool bObjOffset = false) = 0;
    virtual int GetNumBones() = 0;
    virtual INode* GetBone(int idx) = 0;
    virtual DWORD GetBoneProperty(int idx) = 0;
    virtual ISkinContextData* GetContextInterface(INode* pNode) = 0;
    virtual TCHAR* GetBoneName(int index) = 0;
    virtual int GetSelectedBone() = 0;
    virtual void UpdateGizmoList() = 0;
    virtual void GetEndPoints(int id, Point3& l1, Point3& l2) = 0;
    virtual Matrix3 GetBoneTm(int id) = 0;
    virtual INode* GetBoneFlat(int idx) = 0;
    virtual int GetNumBonesFlat() = 0;
    // The skin's reference frame: the time at which bones and mesh stand in
    // their reference position, and at which the init transforms are taken.
    virtual int GetRefFrame() = 0;
};

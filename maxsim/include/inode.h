#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "inode.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "control.h"
#include "matrix3.h"
#include "object.h"
#include "plugapi.h"
#include "quat.h"
#include "ref.h"

class Object;
class Mtl;

// Bone settings of a node (SetBoneAxis, SetBoneScaleType).
#define BONE_AXIS_X 0
#define BONE_AXIS_Y 1
#define BONE_AXIS_Z 2
#define BONE_SCALETYPE_NONE 0
#define BONE_SCALETYPE_SCALE 1
#define BONE_SCALETYPE_SQUASH 2

// A node of the scene tree: a name, a transform, an object and a material.
class INode : public ReferenceTarget {
public:
    SClass_ID SuperClassID() override { return BASENODE_CLASS_ID; }

    virtual TCHAR* GetName() = 0;
    virtual void SetName(TCHAR* s) = 0;
    virtual ULONG GetHandle() = 0;

    virtual Matrix3 GetNodeTM(TimeValue t, Interval* valid = nullptr) = 0;
    virtual void SetNodeTM(TimeValue t, Matrix3& tm) = 0;
    virtual void InvalidateTM() = 0;
    // The object's transform: the object offset, then the node transform.
    virtual Matrix3 GetObjectTM(TimeValue time, Interval* valid = nullptr) = 0;
    virtual void SetObjOffsetPos(Point3 p) = 0;
    virtual Point3 GetObjOffsetPos() = 0;
    virtual void SetObjOffsetRot(Quat q) = 0;
    virtual Quat GetObjOffsetRot() = 0;
    virtual void SetObjOffsetScale(ScaleValue sv) = 0;
    virtual ScaleValue GetObjOffsetScale() = 0;

    virtual const ObjectState& EvalWorldState(TimeValue time, BOOL evalHidden = TRUE) = 0;
    virtual Object* GetObjectRef() = 0;
    virtual void SetObjectRef(Object* o) = 0;
    virtual Mtl* GetMtl() = 0;
    virtual void SetMtl(Mtl* matl) = 0;

    virtual INode* GetParentNode() = 0;
    virtual void AttachChild(INode* node, int keepTM = 1) = 0;
    virtual void Detach(TimeValue t, int keepTM = 1) = 0;
    virtual int NumberOfChildren() = 0;
    virtual INode* GetChildNode(int i) = 0;
    virtual int IsRootNode() = 0;
    virtual int Selected() = 0;
    virtual void Delete(TimeValue t, int keepChildPosition) = 0;

    virtual void Hide(BOOL onOff) = 0;
    virtual int IsHidden(DWORD hflags = 0, BOOL forRenderer = FALSE) = 0;
    virtual void SetRenderable(BOOL onOff) = 0;
    virtual int Renderable() = 0;
    virtual void ShowBone(int boneVis) = 0;
    virtual void BoneAsLine(int onOff) = 0;
    virtual int GetBoneVis() = 0;

    virtual void SetBoneNodeOnOff(BOOL onOff, TimeValue t) = 0;
    virtual BOOL GetBoneNodeOnOff() = 0;
    virtual void SetBoneAutoAlign(BOOL onOff) = 0;
    virtual BOOL GetBoneAutoAlign() = 0;
    virtual void SetBoneFreezeLen(BOOL onOff) = 0;
    virtual BOOL GetBoneFreezeLen() = 0;
    virtual void SetBoneScaleType(int which) = 0;
    virtual int GetBoneScaleType() = 0;
    virtual void SetBoneAxis(int which) = 0;
    virtual int GetBoneAxis() = 0;
    virtual void SetBoneAxisFlip(BOOL onOff) = 0;
    virtual BOOL GetBoneAxisFlip() = 0;
    virtual void ResetBoneStretch(TimeValue t) = 0;
    // The bone's stretch alone, without the object offset: the object
    // transform is objectOffsetTM * stretchTM * nodeTM. The identity for a
    // node that is not a bone or does not stretch.
    virtual Matrix3 GetStretchTM(TimeValue, Interval* = nullptr) { return Matrix3(TRUE); }
};

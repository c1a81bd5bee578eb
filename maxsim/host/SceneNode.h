#pragma once
#include "max.h"

#include "inode.h"
#include "maxapi.h"
#include "object.h"
#include <map>
#include <string>
#include <vector>

namespace maxsim {
class HostInterface;

// A scene node. Its transform is kept relative to its parent, so moving a
// node moves its children; references: 0 the object, 1 the material.
//
// A bone node (bone on) whose length is not frozen and whose scale type is
// not none stretches along its bone axis as its first child moves away from
// or towards it: the stretch is the child's distance now over its distance
// when the bone was turned on or its stretch last reset.
//
// A node can carry transform keys (SetNodeTMKey): its transform then depends
// on the time, each key holding until the next one.
class CoreExport SceneNode : public INode, public TimeChangeCallback {
public:
    SceneNode(HostInterface& host, ULONG handle, bool isRoot);
    ~SceneNode() override;

    void GetClassName(TSTR& s) override;
    Class_ID ClassID() override;

    TCHAR* GetName() override;
    void SetName(TCHAR* s) override;
    ULONG GetHandle() override;

    Matrix3 GetNodeTM(TimeValue t, Interval* valid = nullptr) override;
    void SetNodeTM(TimeValue t, Matrix3& tm) override;
    void InvalidateTM() override;
    Matrix3 GetObjectTM(TimeValue time, Interval* valid = nullptr) override;
    void SetObjOffsetPos(Point3 p) override;
    Point3 GetObjOffsetPos() override;
    void SetObjOffsetRot(Quat q) override;
    Quat GetObjOffsetRot() override;
    void SetObjOffsetScale(ScaleValue sv) override;
    ScaleValue GetObjOffsetScale() override;

    const ObjectState& EvalWorldState(TimeValue time, BOOL evalHidden = TRUE) override;
    Object* GetObjectRef() override;
    void SetObjectRef(Object* o) override;
    Mtl* GetMtl() override;
    void SetMtl(Mtl* matl) override;

    INode* GetParentNode() override;
    void AttachChild(INode* node, int keepTM = 1) override;
    void Detach(TimeValue t, int keepTM = 1) override;
    int NumberOfChildren() override;
    INode* GetChildNode(int i) override;
    int IsRootNode() override;
    int Selected() override;
    void Delete(TimeValue t, int keepChildPosition) override;

    void Hide(BOOL onOff) override;
    int IsHidden(DWORD hflags = 0, BOOL forRenderer = FALSE) override;
    void SetRenderable(BOOL onOff) override;
    int Renderable() override;
    void ShowBone(int boneVis) override;
    void BoneAsLine(int onOff) override;
    int GetBoneVis() override;

    void SetBoneNodeOnOff(BOOL onOff, TimeValue t) override;
    BOOL GetBoneNodeOnOff() override;
    void SetBoneAutoAlign(BOOL onOff) override;
    BOOL GetBoneAutoAlign() override;
    void SetBoneFreezeLen(BOOL onOff) override;
    BOOL GetBoneFreezeLen() override;
    void SetBoneScaleType(int which) override;
    int GetBoneScaleType() override;
    void SetBoneAxis(int which) override;
    int GetBoneAxis() override;
    void SetBoneAxisFlip(BOOL onOff) override;
    BOOL GetBoneAxisFlip() override;
    // Makes a bone object as long as the distance to the node's first child,
    // and that distance the unstretched one.
    void ResetBoneStretch(TimeValue t) override;
    Matrix3 GetStretchTM(TimeValue t, Interval* valid = nullptr) override;

    int NumRefs() override;
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle rtarg) override;
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message) override;
    // The scene holds its nodes: losing its last dependent never deletes a
    // node; only DeleteNode does.
    RefResult AutoDelete() override;

    // A key: the node's world transform from t on, until the next key, as
    // SetNodeTM makes one with the animate button on. SetNodeTM on a keyed
    // node changes the key in force at its time.
    void SetNodeTMKey(TimeValue t, const Matrix3& tm);
    // A keyed node tells its dependents when the time changes.
    void TimeChanged(TimeValue t) override;

    // Host-side bookkeeping, read by tests.
    void SetSelectedFlag(bool selected) { m_selected = selected; }
    void RemoveChild(SceneNode* child);
    int GetInvalidateTMCount() const { return m_invalidateTMCount; }
    int GetStretchResetCount() const { return m_stretchResetCount; }

private:
    bool IsAncestorOf(const SceneNode* node) const;
    Matrix3 ObjectOffsetTM() const;
    // The transform relative to the parent at t, and the one to change when
    // it is set at t.
    Matrix3 LocalTM(TimeValue t) const;
    Matrix3& LocalTMAt(TimeValue t);
    bool StretchesAlongAxis() const;
    // The first child's distance along this node's own axes at t; 0 without
    // a child.
    float ChildDistance(TimeValue t);
    // Tells dependents of this node and of every node below it that their
    // transforms changed.
    void TransformChanged();

    HostInterface& m_host;
    ULONG m_handle;
    bool m_isRoot;
    std::string m_name;
    std::vector<char> m_nameBuffer;
    SceneNode* m_parent;
    std::vector<SceneNode*> m_children;
    Matrix3 m_localTM;
    std::map<TimeValue, Matrix3> m_localKeys;
    Point3 m_offsetPos;
    Quat m_offsetRot;
    ScaleValue m_offsetScale;
    Object* m_object;
    Mtl* m_mtl;
    ObjectState m_state;
    bool m_selected;
    bool m_hidden;
    bool m_renderable;
    int m_boneVis;
    BOOL m_boneOn;
    BOOL m_boneAutoAlign;
    BOOL m_boneFreezeLen;
    int m_boneScaleType;
    int m_boneAxis;
    BOOL m_boneAxisFlip;
    int m_invalidateTMCount;
    int m_stretchResetCount;
    float m_stretchRestLength;
};
} // namespace maxsim

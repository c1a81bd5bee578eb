#include "SceneNode.h"

#include "HostRules.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "max.h"

#include "DerivedObject.h"
#include "HostInterface.h"
#include "PrimitiveObject.h"
#include "imtl.h"
#include "istdplug.h"

namespace maxsim {
namespace {
// The part id with which a node tells its dependents that it moved.
const PartID kPartTransform = 0x80000000;
} // namespace

SceneNode::SceneNode(HostInterface& host, ULONG handle, bool isRoot)
    : m_host(host), m_handle(handle), m_isRoot(isRoot), m_parent(nullptr), m_object(nullptr), m_mtl(nullptr),
      m_selected(false), m_hidden(false), m_renderable(true), m_boneVis(0), m_boneOn(FALSE), m_boneAutoAlign(TRUE),
      m_boneFreezeLen(TRUE), m_boneScaleType(0), m_boneAxis(0), m_boneAxisFlip(FALSE), m_invalidateTMCount(0),
      m_stretchResetCount(0), m_stretchRestLength(0.0f) {
    m_nameBuffer.push_back(0);
}

SceneNode::~SceneNode() {
    if (!m_localKeys.empty())
        m_host.UnRegisterTimeChangeCallback(this);
}

void SceneNode::GetClassName(TSTR& s) {
    s = "Node";
}
Class_ID SceneNode::ClassID() {
    return Class_ID(BASENODE_CLASS_ID, 0);
}

// The name is handed out as a writable buffer, as the host's own is.
TCHAR* SceneNode::GetName() {
    return m_nameBuffer.data();
}

void SceneNode::SetName(TCHAR* s) {
    m_name = s ? s : "";
    m_nameBuffer.assign(m_name.begin(), m_name.end());
    m_nameBuffer.push_back(0);
}

ULONG SceneNode::GetHandle() {
    return m_handle;
}

Matrix3 SceneNode::GetNodeTM(TimeValue t, Interval* valid) {
    if (valid)
        *valid = FOREVER;
    if (m_isRoot)
        return Matrix3(TRUE);
    if (!m_parent || m_parent->m_isRoot)
        return LocalTM(t);
    return LocalTM(t) * m_parent->GetNodeTM(t);
}

void SceneNode::SetNodeTM(TimeValue t, Matrix3& tm) {
    if (m_isRoot)
        return;
    if (!m_parent || m_parent->m_isRoot)
        LocalTMAt(t) = tm;
    else
        LocalTMAt(t) = tm * Inverse(m_parent->GetNodeTM(t));
    TransformChanged();
}

// Before its first key a node stands as its first key says.
Matrix3 SceneNode::LocalTM(TimeValue t) const {
    return const_cast<SceneNode*>(this)->LocalTMAt(t);
}

Matrix3& SceneNode::LocalTMAt(TimeValue t) {
    if (m_localKeys.empty())
        return m_localTM;
    auto it = m_localKeys.upper_bound(t);
    if (it != m_localKeys.begin())
        --it;
    return it->second;
}

void SceneNode::SetNodeTMKey(TimeValue t, const Matrix3& tm) {
    if (m_isRoot)
        return;
    if (m_localKeys.empty())
        m_host.RegisterTimeChangeCallback(this);
    m_localKeys[t] = (!m_parent || m_parent->m_isRoot) ? tm : tm * Inverse(m_parent->GetNodeTM(t));
    TransformChanged();
}

void SceneNode::TimeChanged(TimeValue) {
    TransformChanged();
}

void SceneNode::InvalidateTM() {
    ++m_invalidateTMCount;
}

Matrix3 SceneNode::ObjectOffsetTM() const {
    Matrix3 axes;
    m_offsetScale.q.MakeMatrix(axes);
    Matrix3 scale = Inverse(axes) * ScaleMatrix(m_offsetScale.s) * axes;
    Matrix3 rot;
    m_offsetRot.MakeMatrix(rot);
    Matrix3 offset = scale * rot;
    offset.SetTrans(m_offsetPos);
    offset.ValidateFlags();
    return offset;
}

Matrix3 SceneNode::GetObjectTM(TimeValue time, Interval* valid) {
    return ObjectOffsetTM() * GetStretchTM(time) * GetNodeTM(time, valid);
}

void SceneNode::SetObjOffsetPos(Point3 p) {
    m_offsetPos = p;
    TransformChanged();
}

Point3 SceneNode::GetObjOffsetPos() {
    return m_offsetPos;
}

void SceneNode::SetObjOffsetRot(Quat q) {
    m_offsetRot = q;
    TransformChanged();
}

Quat SceneNode::GetObjOffsetRot() {
    return m_offsetRot;
}

void SceneNode::SetObjOffsetScale(ScaleValue sv) {
    m_offsetScale = sv;
    TransformChanged();
}

ScaleValue SceneNode::GetObjOffsetScale() {
    return m_offsetScale;
}

const ObjectState& SceneNode::EvalWorldState(TimeValue time, BOOL) {
    m_state = m_object ? m_object->Eval(time) : ObjectState();
    // What is handed out is the host's: a pipeline result, or the node's own
    // object when no modifier changed it.
    if (m_state.obj)
        HostRules::Instance().HandedOut(m_state.obj, this,
                                        m_state.obj == m_object || m_state.obj == m_object->FindBaseObject());
    return m_state;
}

Object* SceneNode::GetObjectRef() {
    return m_object;
}

// The previous object goes when nothing else references it and it is not
// held (A_LOCK_TARGET).
void SceneNode::SetObjectRef(Object* o) {
    ReplaceReference(0, o, TRUE);
}

Mtl* SceneNode::GetMtl() {
    return m_mtl;
}

void SceneNode::SetMtl(Mtl* matl) {
    if (matl)
        m_host.AddSceneMaterial(matl);
    ReplaceReference(1, matl, TRUE);
}

INode* SceneNode::GetParentNode() {
    return m_parent;
}

bool SceneNode::IsAncestorOf(const SceneNode* node) const {
    for (const SceneNode* p = node; p; p = p->m_parent)
        if (p == this)
            return true;
    return false;
}

// A node cannot become a child of itself or of one of its descendants.
void SceneNode::AttachChild(INode* node, int keepTM) {
    SceneNode* child = dynamic_cast<SceneNode*>(node);
    if (!child || child->m_isRoot || child->IsAncestorOf(this))
        return;
    const TimeValue t = m_host.GetTime();
    const Matrix3 world = child->GetNodeTM(t);
    if (child->m_parent)
        child->m_parent->RemoveChild(child);
    child->m_parent = this;
    m_children.push_back(child);
    if (keepTM)
        child->LocalTMAt(t) = m_isRoot ? world : world * Inverse(GetNodeTM(t));
    // A bone that had no child to measure its length by takes this one.
    if (m_boneOn && m_stretchRestLength <= 0.0f)
        m_stretchRestLength = ChildDistance(t);
    child->TransformChanged();
}

void SceneNode::Detach(TimeValue, int keepTM) {
    if (m_isRoot)
        return;
    m_host.GetRootNode()->AttachChild(this, keepTM);
}

void SceneNode::RemoveChild(SceneNode* child) {
    m_children.erase(std::remove(m_children.begin(), m_children.end(), child), m_children.end());
    if (child->m_parent == this)
        child->m_parent = nullptr;
}

int SceneNode::NumberOfChildren() {
    return int(m_children.size());
}

INode* SceneNode::GetChildNode(int i) {
    return i >= 0 && i < int(m_children.size()) ? m_children[size_t(i)] : nullptr;
}

int SceneNode::IsRootNode() {
    return m_isRoot ? 1 : 0;
}
int SceneNode::Selected() {
    return m_selected ? 1 : 0;
}
void SceneNode::Delete(TimeValue, int) {
    m_host.DeleteNode(this);
}

void SceneNode::Hide(BOOL onOff) {
    m_hidden = onOff != 0;
}
int SceneNode::IsHidden(DWORD, BOOL) {
    return m_hidden ? 1 : 0;
}
void SceneNode::SetRenderable(BOOL onOff) {
    m_renderable = onOff != 0;
}
int SceneNode::Renderable() {
    return m_renderable ? 1 : 0;
}
void SceneNode::ShowBone(int boneVis) {
    m_boneVis = boneVis;
}
void SceneNode::BoneAsLine(int onOff) {
    m_boneVis = onOff ? 1 : 0;
}
int SceneNode::GetBoneVis() {
    return m_boneVis;
}

void SceneNode::SetBoneNodeOnOff(BOOL onOff, TimeValue t) {
    if (onOff && !m_boneOn)
        m_stretchRestLength = ChildDistance(t);
    m_boneOn = onOff;
    TransformChanged();
}
BOOL SceneNode::GetBoneNodeOnOff() {
    return m_boneOn;
}
void SceneNode::SetBoneAutoAlign(BOOL onOff) {
    m_boneAutoAlign = onOff;
}
BOOL SceneNode::GetBoneAutoAlign() {
    return m_boneAutoAlign;
}
void SceneNode::SetBoneFreezeLen(BOOL onOff) {
    m_boneFreezeLen = onOff;
    TransformChanged();
}
BOOL SceneNode::GetBoneFreezeLen() {
    return m_boneFreezeLen;
}
void SceneNode::SetBoneScaleType(int which) {
    m_boneScaleType = which;
    TransformChanged();
}
int SceneNode::GetBoneScaleType() {
    return m_boneScaleType;
}
void SceneNode::SetBoneAxis(int which) {
    m_boneAxis = which;
    TransformChanged();
}
int SceneNode::GetBoneAxis() {
    return m_boneAxis;
}
void SceneNode::SetBoneAxisFlip(BOOL onOff) {
    m_boneAxisFlip = onOff;
}
BOOL SceneNode::GetBoneAxisFlip() {
    return m_boneAxisFlip;
}

void SceneNode::ResetBoneStretch(TimeValue t) {
    ++m_stretchResetCount;
    if (m_children.empty())
        return;
    m_stretchRestLength = ChildDistance(t);
    TransformChanged();
    if (!m_object || !(m_object->ClassID() == BONE_OBJ_CLASSID))
        return;
    PrimitiveObject* bone = dynamic_cast<PrimitiveObject*>(m_object);
    if (!bone)
        return;
    const Point3 from = GetNodeTM(t).GetTrans();
    const Point3 to = m_children.front()->GetNodeTM(t).GetTrans();
    bone->SetLength((to - from).Length());
}

bool SceneNode::StretchesAlongAxis() const {
    return m_boneOn && !m_boneFreezeLen && m_boneScaleType != BONE_SCALETYPE_NONE && m_boneAxis >= BONE_AXIS_X &&
           m_boneAxis <= BONE_AXIS_Z && !m_children.empty();
}

float SceneNode::ChildDistance(TimeValue t) {
    if (m_children.empty())
        return 0.0f;
    return Inverse(GetNodeTM(t)).PointTransform(m_children.front()->GetNodeTM(t).GetTrans()).Length();
}

// Scale stretches the bone axis alone; squash keeps the volume, thinning the
// other two axes as the bone grows longer. A child standing on the bone's
// own pivot gives no length to stretch by.
Matrix3 SceneNode::GetStretchTM(TimeValue t, Interval* valid) {
    if (valid)
        *valid = FOREVER;
    if (!StretchesAlongAxis() || m_stretchRestLength <= 0.0f)
        return Matrix3(TRUE);
    const float length = ChildDistance(t);
    if (length <= 0.0f)
        return Matrix3(TRUE);
    const float stretch = length / m_stretchRestLength;
    const float across = m_boneScaleType == BONE_SCALETYPE_SQUASH ? 1.0f / std::sqrt(stretch) : 1.0f;
    Point3 scale(across, across, across);
    scale[m_boneAxis] = stretch;
    return ScaleMatrix(scale);
}

int SceneNode::NumRefs() {
    return 2;
}

RefTargetHandle SceneNode::GetReference(int i) {
    if (i == 0)
        return m_object;
    if (i == 1)
        return m_mtl;
    return nullptr;
}

void SceneNode::SetReference(int i, RefTargetHandle rtarg) {
    if (i == 0)
        m_object = static_cast<Object*>(rtarg);
    else if (i == 1)
        m_mtl = static_cast<Mtl*>(rtarg);
}

RefResult SceneNode::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) {
    return REF_SUCCEED;
}

RefResult SceneNode::AutoDelete() {
    return REF_FAIL;
}

// A skinned object's evaluation depends on where its node stands, so its
// cached result goes as well.
void SceneNode::TransformChanged() {
    if (DerivedObject* derived = dynamic_cast<DerivedObject*>(m_object)) {
        derived->InvalidateCache();
        derived->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
    }
    NotifyDependents(FOREVER, kPartTransform, REFMSG_CHANGE);
    // The first child's place is its parent's stretch.
    if (m_parent && m_parent->StretchesAlongAxis() && m_parent->m_children.front() == this)
        m_parent->NotifyDependents(FOREVER, kPartTransform, REFMSG_CHANGE);
    const std::vector<SceneNode*> children = m_children;
    for (SceneNode* child : children)
        child->TransformChanged();
}
} // namespace maxsim

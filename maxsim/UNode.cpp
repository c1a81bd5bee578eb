#include "UNode.h"

#include <algorithm>
#include <cstring>

#include "UCoreInterface.h"
#include "UDerivedObject.h"
#include "UPrimitiveObject.h"
#include "imtl.h"
#include "istdplug.h"

namespace maxsim
{
namespace
{
// The part id with which a node tells its dependents that it moved.
const PartID kPartTransform = 0x80000000;
} // namespace

UNode::UNode(UCoreInterface& host, ULONG handle, bool isRoot)
    : m_host(host), m_handle(handle), m_isRoot(isRoot), m_parent(nullptr), m_object(nullptr), m_mtl(nullptr),
      m_selected(false), m_hidden(false), m_renderable(true), m_boneVis(0), m_boneOn(FALSE), m_boneAutoAlign(TRUE),
      m_boneFreezeLen(TRUE), m_boneScaleType(0), m_boneAxis(0), m_boneAxisFlip(FALSE), m_invalidateTMCount(0),
      m_stretchResetCount(0)
{
    m_nameBuffer.push_back(0);
}

UNode::~UNode() {}

void UNode::GetClassName(TSTR& s) { s = "Node"; }
Class_ID UNode::ClassID() { return Class_ID(BASENODE_CLASS_ID, 0); }

// The name is handed out as a writable buffer, as the host's own is.
TCHAR* UNode::GetName() { return m_nameBuffer.data(); }

void UNode::SetName(TCHAR* s)
{
    m_name = s ? s : "";
    m_nameBuffer.assign(m_name.begin(), m_name.end());
    m_nameBuffer.push_back(0);
}

ULONG UNode::GetHandle() { return m_handle; }

Matrix3 UNode::GetNodeTM(TimeValue t, Interval* valid)
{
    if (valid)
        *valid = FOREVER;
    if (m_isRoot)
        return Matrix3(TRUE);
    if (!m_parent || m_parent->m_isRoot)
        return m_localTM;
    return m_localTM * m_parent->GetNodeTM(t);
}

void UNode::SetNodeTM(TimeValue t, Matrix3& tm)
{
    if (m_isRoot)
        return;
    if (!m_parent || m_parent->m_isRoot)
        m_localTM = tm;
    else
        m_localTM = tm * Inverse(m_parent->GetNodeTM(t));
    TransformChanged();
}

void UNode::InvalidateTM() { ++m_invalidateTMCount; }

Matrix3 UNode::ObjectOffsetTM() const
{
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

Matrix3 UNode::GetObjectTM(TimeValue time, Interval* valid) { return ObjectOffsetTM() * GetNodeTM(time, valid); }

void UNode::SetObjOffsetPos(Point3 p)
{
    m_offsetPos = p;
    TransformChanged();
}

Point3 UNode::GetObjOffsetPos() { return m_offsetPos; }

void UNode::SetObjOffsetRot(Quat q)
{
    m_offsetRot = q;
    TransformChanged();
}

Quat UNode::GetObjOffsetRot() { return m_offsetRot; }

void UNode::SetObjOffsetScale(ScaleValue sv)
{
    m_offsetScale = sv;
    TransformChanged();
}

ScaleValue UNode::GetObjOffsetScale() { return m_offsetScale; }

const ObjectState& UNode::EvalWorldState(TimeValue time, BOOL)
{
    m_state = m_object ? m_object->Eval(time) : ObjectState();
    return m_state;
}

Object* UNode::GetObjectRef() { return m_object; }

// The previous object goes when nothing else references it and it is not
// held (A_LOCK_TARGET).
void UNode::SetObjectRef(Object* o) { ReplaceReference(0, o, TRUE); }

Mtl* UNode::GetMtl() { return m_mtl; }

void UNode::SetMtl(Mtl* matl)
{
    if (matl)
        m_host.AddSceneMaterial(matl);
    ReplaceReference(1, matl, TRUE);
}

INode* UNode::GetParentNode() { return m_parent; }

bool UNode::IsAncestorOf(const UNode* node) const
{
    for (const UNode* p = node; p; p = p->m_parent)
        if (p == this)
            return true;
    return false;
}

// A node cannot become a child of itself or of one of its descendants.
void UNode::AttachChild(INode* node, int keepTM)
{
    UNode* child = dynamic_cast<UNode*>(node);
    if (!child || child->m_isRoot || child->IsAncestorOf(this))
        return;
    const TimeValue t = m_host.GetTime();
    const Matrix3 world = child->GetNodeTM(t);
    if (child->m_parent)
        child->m_parent->RemoveChild(child);
    child->m_parent = this;
    m_children.push_back(child);
    if (keepTM)
        child->m_localTM = m_isRoot ? world : world * Inverse(GetNodeTM(t));
    child->TransformChanged();
}

void UNode::Detach(TimeValue, int keepTM)
{
    if (m_isRoot)
        return;
    m_host.GetRootNode()->AttachChild(this, keepTM);
}

void UNode::RemoveChild(UNode* child)
{
    m_children.erase(std::remove(m_children.begin(), m_children.end(), child), m_children.end());
    if (child->m_parent == this)
        child->m_parent = nullptr;
}

int UNode::NumberOfChildren() { return int(m_children.size()); }

INode* UNode::GetChildNode(int i)
{
    return i >= 0 && i < int(m_children.size()) ? m_children[size_t(i)] : nullptr;
}

int UNode::IsRootNode() { return m_isRoot ? 1 : 0; }
int UNode::Selected() { return m_selected ? 1 : 0; }
void UNode::Delete(TimeValue, int) { m_host.DeleteNode(this); }

void UNode::Hide(BOOL onOff) { m_hidden = onOff != 0; }
int UNode::IsHidden(DWORD, BOOL) { return m_hidden ? 1 : 0; }
void UNode::SetRenderable(BOOL onOff) { m_renderable = onOff != 0; }
int UNode::Renderable() { return m_renderable ? 1 : 0; }
void UNode::ShowBone(int boneVis) { m_boneVis = boneVis; }
void UNode::BoneAsLine(int onOff) { m_boneVis = onOff ? 1 : 0; }
int UNode::GetBoneVis() { return m_boneVis; }

void UNode::SetBoneNodeOnOff(BOOL onOff, TimeValue) { m_boneOn = onOff; }
BOOL UNode::GetBoneNodeOnOff() { return m_boneOn; }
void UNode::SetBoneAutoAlign(BOOL onOff) { m_boneAutoAlign = onOff; }
BOOL UNode::GetBoneAutoAlign() { return m_boneAutoAlign; }
void UNode::SetBoneFreezeLen(BOOL onOff) { m_boneFreezeLen = onOff; }
BOOL UNode::GetBoneFreezeLen() { return m_boneFreezeLen; }
void UNode::SetBoneScaleType(int which) { m_boneScaleType = which; }
int UNode::GetBoneScaleType() { return m_boneScaleType; }
void UNode::SetBoneAxis(int which) { m_boneAxis = which; }
int UNode::GetBoneAxis() { return m_boneAxis; }
void UNode::SetBoneAxisFlip(BOOL onOff) { m_boneAxisFlip = onOff; }
BOOL UNode::GetBoneAxisFlip() { return m_boneAxisFlip; }

void UNode::ResetBoneStretch(TimeValue t)
{
    ++m_stretchResetCount;
    if (m_children.empty() || !m_object || !(m_object->ClassID() == BONE_OBJ_CLASSID))
        return;
    UPrimitiveObject* bone = dynamic_cast<UPrimitiveObject*>(m_object);
    if (!bone)
        return;
    const Point3 from = GetNodeTM(t).GetTrans();
    const Point3 to = m_children.front()->GetNodeTM(t).GetTrans();
    bone->SetLength((to - from).Length());
}

int UNode::NumRefs() { return 2; }

RefTargetHandle UNode::GetReference(int i)
{
    if (i == 0)
        return m_object;
    if (i == 1)
        return m_mtl;
    return nullptr;
}

void UNode::SetReference(int i, RefTargetHandle rtarg)
{
    if (i == 0)
        m_object = static_cast<Object*>(rtarg);
    else if (i == 1)
        m_mtl = static_cast<Mtl*>(rtarg);
}

RefResult UNode::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) { return REF_SUCCEED; }

RefResult UNode::AutoDelete() { return REF_FAIL; }

// A skinned object's evaluation depends on where its node stands, so its
// cached result goes as well.
void UNode::TransformChanged()
{
    if (UDerivedObject* derived = dynamic_cast<UDerivedObject*>(m_object))
    {
        derived->InvalidateCache();
        derived->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
    }
    NotifyDependents(FOREVER, kPartTransform, REFMSG_CHANGE);
    const std::vector<UNode*> children = m_children;
    for (UNode* child : children)
        child->TransformChanged();
}
} // namespace maxsim

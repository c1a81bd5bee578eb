#include "SkinModifier.h"

#include "max.h"

#include "HostInterface.h"
#include "inode.h"
#include "maxapi.h"
#include "modstack.h"

namespace maxsim {
SkinModifier::SkinModifier() : m_openInterfaces(0), m_refFrame(0) {}

SkinModifier::~SkinModifier() {
    DeleteAllRefs();
}

Class_ID SkinModifier::ClassID() {
    return SKIN_CLASSID;
}
void SkinModifier::GetClassName(TSTR& s) {
    s = "Skin";
}

void* SkinModifier::GetInterface(ULONG id) {
    if (id == I_SKIN) {
        ++m_openInterfaces;
        return static_cast<ISkin*>(this);
    }
    if (id == I_SKINIMPORTDATA) {
        ++m_openInterfaces;
        return static_cast<ISkinImportData*>(this);
    }
    return Modifier::GetInterface(id);
}

void SkinModifier::ReleaseInterface(ULONG id, void* i) {
    if ((id == I_SKIN || id == I_SKINIMPORTDATA) && i)
        --m_openInterfaces;
}

BaseInterface* SkinModifier::GetInterface(Interface_ID id) {
    return Modifier::GetInterface(id);
}

ChannelMask SkinModifier::ChannelsUsed() {
    return GEOM_CHANNEL;
}
ChannelMask SkinModifier::ChannelsChanged() {
    return GEOM_CHANNEL;
}

void SkinModifier::ModifyObject(TimeValue t, ModContext&, ObjectState* os, INode* node) {
    if (!node || !os || !os->obj)
        return;
    Object* obj = os->obj;
    const int numPoints = obj->NumPoints();
    SkinContextData* ctx = ContextFor(node, numPoints);
    if (ctx->GetNumPoints() != numPoints)
        ctx->SetNumPoints(numPoints);

    std::vector<Matrix3> boneTMs(m_bones.size());
    for (size_t b = 0; b < m_bones.size(); ++b)
        if (m_bones[b].node)
            boneTMs[b] = ctx->MeshObjectTM() * Inverse(m_bones[b].initNodeTM) * m_bones[b].node->GetStretchTM(t) *
                         m_bones[b].node->GetNodeTM(t);
    const Matrix3 toObject = Inverse(node->GetObjectTM(t));

    for (int v = 0; v < numPoints; ++v) {
        const SkinContextData::Weights& weights = ctx->PointWeights(v);
        const Point3 p = obj->GetPoint(v);
        Point3 world(0.0f, 0.0f, 0.0f);
        float total = 0.0f;
        for (const auto& w : weights) {
            if (w.first < 0 || size_t(w.first) >= m_bones.size() || !m_bones[size_t(w.first)].node)
                continue;
            world += boneTMs[size_t(w.first)].PointTransform(p) * w.second;
            total += w.second;
        }
        // Points without weight stay where they are.
        if (total == 0.0f)
            continue;
        obj->SetPoint(v, toObject.PointTransform(world / total));
    }
    obj->PointsWereChanged();
}

int SkinModifier::NumRefs() {
    return int(m_bones.size());
}

RefTargetHandle SkinModifier::GetReference(int i) {
    return i >= 0 && i < int(m_bones.size()) ? m_bones[size_t(i)].node : nullptr;
}

void SkinModifier::SetReference(int i, RefTargetHandle rtarg) {
    if (i >= 0 && i < int(m_bones.size()))
        m_bones[size_t(i)].node = static_cast<INode*>(rtarg);
}

RefResult SkinModifier::NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) {
    return REF_SUCCEED;
}

int SkinModifier::FindBone(INode* node) const {
    if (!node)
        return -1;
    for (size_t i = 0; i < m_bones.size(); ++i)
        if (m_bones[i].node == node)
            return int(i);
    return -1;
}

int SkinModifier::GetBoneInitTM(INode* pNode, Matrix3& InitTM, bool bObjOffset) {
    const int b = FindBone(pNode);
    if (b < 0)
        return SKIN_INVALID_NODE_PTR;
    InitTM = bObjOffset ? m_bones[size_t(b)].initObjectTM : m_bones[size_t(b)].initNodeTM;
    return SKIN_OK;
}

int SkinModifier::GetSkinInitTM(INode* pNode, Matrix3& InitTM, bool bObjOffset) {
    SkinContextData* ctx = FindContext(pNode);
    if (!ctx)
        return SKIN_INVALID_NODE_PTR;
    InitTM = bObjOffset ? ctx->MeshObjectTM() : ctx->MeshNodeTM();
    return SKIN_OK;
}

int SkinModifier::GetNumBones() {
    return int(m_bones.size());
}
INode* SkinModifier::GetBone(int idx) {
    return GetReference(idx) ? m_bones[size_t(idx)].node : nullptr;
}
DWORD SkinModifier::GetBoneProperty(int) {
    return 0;
}
ISkinContextData* SkinModifier::GetContextInterface(INode* pNode) {
    return FindContext(pNode);
}

TCHAR* SkinModifier::GetBoneName(int index) {
    INode* bone = GetBone(index);
    return bone ? bone->GetName() : nullptr;
}

int SkinModifier::GetSelectedBone() {
    return -1;
}
void SkinModifier::UpdateGizmoList() {}

void SkinModifier::GetEndPoints(int id, Point3& l1, Point3& l2) {
    INode* bone = GetBone(id);
    if (!bone)
        return;
    const TimeValue t = GetCOREInterface()->GetTime();
    l1 = bone->GetNodeTM(t).GetTrans();
    l2 = bone->NumberOfChildren() > 0 ? bone->GetChildNode(0)->GetNodeTM(t).GetTrans() : l1;
}

Matrix3 SkinModifier::GetBoneTm(int id) {
    return id >= 0 && id < int(m_bones.size()) ? m_bones[size_t(id)].initNodeTM : Matrix3(TRUE);
}

INode* SkinModifier::GetBoneFlat(int idx) {
    return GetBone(idx);
}
int SkinModifier::GetNumBonesFlat() {
    return GetNumBones();
}
int SkinModifier::GetRefFrame() {
    return int(m_refFrame);
}

BOOL SkinModifier::AddBoneEx(INode* boneNode, BOOL update) {
    m_addBoneUpdates.push_back(update);
    if (boneNode && FindBone(boneNode) >= 0)
        return FALSE;
    Bone bone;
    if (boneNode) {
        bone.initNodeTM = boneNode->GetStretchTM(m_refFrame) * boneNode->GetNodeTM(m_refFrame);
        bone.initObjectTM = boneNode->GetObjectTM(m_refFrame);
    }
    m_bones.push_back(bone);
    ReplaceReference(int(m_bones.size()) - 1, boneNode, FALSE);
    if (update)
        NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
    return boneNode ? TRUE : FALSE;
}

BOOL SkinModifier::SetSkinTm(INode* skinNode, Matrix3 objectTm, Matrix3 nodeTm) {
    IDerivedObject* derived = nullptr;
    int index = 0;
    if (!FindInStack(skinNode, derived, index))
        return FALSE;
    // The node's data exists only once the modifier has run for it.
    SkinContextData* ctx = FindContext(skinNode);
    if (!ctx)
        return FALSE;
    ctx->SetMeshTMs(objectTm, nodeTm);
    return TRUE;
}

BOOL SkinModifier::SetBoneTm(INode* boneNode, Matrix3 objectTm, Matrix3 nodeTm) {
    const int b = FindBone(boneNode);
    if (b < 0)
        return FALSE;
    m_bones[size_t(b)].initObjectTM = objectTm;
    m_bones[size_t(b)].initNodeTM = nodeTm;
    return TRUE;
}

BOOL SkinModifier::AddWeights(INode* skinNode, int vertexID, Tab<INode*>& boneNodeList, Tab<float>& weights) {
    maxsim::HostInterface::Instance().Allocating("AddWeights");
    if (boneNodeList.Count() != weights.Count())
        return FALSE;
    IDerivedObject* derived = nullptr;
    int index = 0;
    if (!FindInStack(skinNode, derived, index))
        return FALSE;
    SkinContextData::Weights entries;
    for (int i = 0; i < boneNodeList.Count(); ++i) {
        const int b = FindBone(boneNodeList[i]);
        if (b < 0)
            return FALSE;
        entries.emplace_back(b, weights[i]);
    }
    // The node's data exists only once the modifier has run for it (the
    // node was evaluated with the skin in its stack).
    SkinContextData* ctx = FindContext(skinNode);
    if (!ctx)
        return FALSE;
    if (vertexID < 0 || vertexID >= ctx->GetNumPoints())
        return FALSE;
    ctx->PointWeights(vertexID) = entries;
    return TRUE;
}

SkinContextData* SkinModifier::FindContext(INode* node) {
    if (!node)
        return nullptr;
    auto it = m_contexts.find(node->GetHandle());
    return it == m_contexts.end() ? nullptr : it->second.get();
}

SkinContextData* SkinModifier::ContextFor(INode* node, int numPoints) {
    if (SkinContextData* ctx = FindContext(node))
        return ctx;
    auto ctx = std::make_unique<SkinContextData>(numPoints, node->GetObjectTM(m_refFrame), node->GetNodeTM(m_refFrame));
    SkinContextData* raw = ctx.get();
    m_contexts[node->GetHandle()] = std::move(ctx);
    return raw;
}

bool SkinModifier::FindInStack(INode* node, IDerivedObject*& derived, int& index) {
    if (!node)
        return false;
    Object* obj = node->GetObjectRef();
    while (obj && obj->SuperClassID() == GEN_DERIVOB_CLASS_ID) {
        IDerivedObject* d = static_cast<IDerivedObject*>(obj);
        for (int i = 0; i < d->NumModifiers(); ++i)
            if (d->GetModifier(i) == this) {
                derived = d;
                index = i;
                return true;
            }
        obj = d->GetObjRef();
    }
    return false;
}
} // namespace maxsim

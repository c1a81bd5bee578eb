#pragma once
#include "max.h"

#include "SkinContextData.h"
#include "iparamb2.h"
#include "iskin.h"
#include "object.h"
#include <map>
#include <memory>
#include <vector>

class IDerivedObject;

namespace maxsim {
// The skin modifier. Its references are its bones, one per slot (a slot can
// be empty). An enabled skin moves each point by linear blend skinning:
//   world = sum_i w_i * (p * meshBind * init_i^-1 * current_i) / sum_i w_i
// where meshBind is the node's object transform when it was bound, init_i
// bone i's stretch and node transform when it was added and current_i its
// stretch and node transform now; the result goes back into the node's
// object space.
//
// What the skin records is taken at its reference frame (GetRefFrame), not
// at the current time: a bone's init transforms when it is added
// (GetStretchTM(ref) * GetNodeTM(ref), and GetObjectTM(ref)), the node's
// own (GetObjectTM(ref), GetNodeTM(ref)) when the skin first runs for it.
class CoreExport SkinModifier : public Modifier, public ISkin, public ISkinImportData {
public:
    using Modifier::operator new;
    using Modifier::operator delete;

    SkinModifier();
    ~SkinModifier() override;

    Class_ID ClassID() override;
    void GetClassName(TSTR& s) override;
    void* GetInterface(ULONG id) override;
    void ReleaseInterface(ULONG id, void* i) override;
    BaseInterface* GetInterface(Interface_ID id) override;

    void ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) override;
    // The skin moves points and nothing else.
    ChannelMask ChannelsUsed() override;
    ChannelMask ChannelsChanged() override;

    int NumRefs() override;
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle rtarg) override;
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message) override;

    // ISkin
    int GetBoneInitTM(INode* pNode, Matrix3& InitTM, bool bObjOffset = false) override;
    int GetSkinInitTM(INode* pNode, Matrix3& InitTM, bool bObjOffset = false) override;
    int GetNumBones() override;
    INode* GetBone(int idx) override;
    DWORD GetBoneProperty(int idx) override;
    ISkinContextData* GetContextInterface(INode* pNode) override;
    TCHAR* GetBoneName(int index) override;
    int GetSelectedBone() override;
    void UpdateGizmoList() override;
    void GetEndPoints(int id, Point3& l1, Point3& l2) override;
    Matrix3 GetBoneTm(int id) override;
    INode* GetBoneFlat(int idx) override;
    int GetNumBonesFlat() override;
    int GetRefFrame() override;

    // ISkinImportData
    // A null bone takes an empty slot and answers FALSE; a bone already in
    // the skin is not added again.
    BOOL AddBoneEx(INode* boneNode, BOOL update) override;
    BOOL SetSkinTm(INode* skinNode, Matrix3 objectTm, Matrix3 nodeTm) override;
    BOOL SetBoneTm(INode* boneNode, Matrix3 objectTm, Matrix3 nodeTm) override;
    // Replaces the weights of one point. Refused (FALSE, nothing changed)
    // for a node that does not carry this skin or for which the skin has not
    // run yet (no per-node data before its first evaluation), a point out of
    // range, tables of different lengths, or a bone that is not in the skin.
    // SetSkinTm is refused in the same cases.
    BOOL AddWeights(INode* skinNode, int vertexID, Tab<INode*>& boneNodeList, Tab<float>& weights) override;

    // The skin's reference frame parameter, as the user sets it in the
    // skin's advanced parameters; 0 unless set. It changes what later
    // additions record, not what is recorded already.
    void SetRefFrame(TimeValue t) { m_refFrame = t; }

    // Host-side records, read by tests: the update flag of each AddBoneEx,
    // and the interfaces handed out but not released.
    const std::vector<BOOL>& GetAddBoneUpdates() const { return m_addBoneUpdates; }
    int GetOpenInterfaces() const { return m_openInterfaces; }
    int FindBone(INode* node) const;

private:
    struct Bone {
        INode* node = nullptr;
        Matrix3 initNodeTM;
        Matrix3 initObjectTM;
    };

    SkinContextData* FindContext(INode* node);
    // The node's data, made when missing: its points are those of the
    // object below the skin, its bind transforms the node's at the
    // reference frame.
    SkinContextData* ContextFor(INode* node, int numPoints);
    bool FindInStack(INode* node, IDerivedObject*& derived, int& index);

    std::vector<Bone> m_bones;
    std::map<ULONG, std::unique_ptr<SkinContextData>> m_contexts;
    std::vector<BOOL> m_addBoneUpdates;
    int m_openInterfaces;
    TimeValue m_refFrame;
};
} // namespace maxsim

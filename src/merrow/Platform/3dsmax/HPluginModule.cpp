#include "merrow/Platform/3dsmax/HPluginModule.h"

#include "max.h"

#include "merrow/Platform/3dsmax/HHostClassIDs.h"

#include "iFnPub.h"
#include "imtl.h"
#include "merrow/Platform/3dsmax/HIndexItemList.h"
#include "merrow/Platform/3dsmax/Kits/HPolygonMeshKit.h"
#include <new>

#include "orlo/CoreServices/Interfaces/Memory.h"
#include "orlo/ErrorDescription.h"

namespace merrow::platform_3dsmax {

namespace {

using ClassList = HObjectFilter::ClassList;

void AddClass(ClassList& list, uint32_t superClassID, const HHostClassID& id) {
    list.Add(HObject::CompleteClassID{superClassID, id.partA, id.partB});
}

// Classes the filters name that the host layer does not otherwise use.
constexpr HHostClassID kClass9125{0x9125, 0};
constexpr HHostClassID kClass8A63C0{0x8A63C0, 0};
constexpr HHostClassID kClass3011{0x3011, 0};
constexpr HHostClassID kMaterialClasses[] = {kStandardMaterialClassID, {3, 0},     {0x100, 0},
                                             kMultiMaterialClassID,    {0x210, 0}, {0x250, 0}};

// Depth first, a node before its children; an unselected node still has its
// children walked.
void WalkNode(INode* node, const HObjectFilter& filter, bool selectedOnly, TimeValue t, orlo::UArray<HObject>& result) {
    if (!selectedOnly || node->Selected()) {
        const ObjectState& state = node->EvalWorldState(t);
        if (state.obj != nullptr && filter.Accepts(state.obj)) {
            const HObject handle = HObject::FromNode(node);
            if (!result.Contains(handle))
                result.Add(handle);
        }
    }
    for (int i = 0; i < node->NumberOfChildren(); ++i)
        if (INode* child = node->GetChildNode(i))
            WalkNode(child, filter, selectedOnly, t, result);
}

} // namespace

HPluginModule::~HPluginModule() {
    ReleaseModuleInfo();
}

void HPluginModule::SetModuleInfo(uint32_t moduleID) {
    ORLO_GUARD
    const ModuleInfoBase& entry = ModuleInfoBase::GetModuleInfoBaseFor(moduleID);
    void* block = orlo::AllocateOrRaise(sizeof(ModuleInfoBase), orlo::LOCATION_NEW);
    ModuleInfoBase* copy;
    try {
        copy = new (block) ModuleInfoBase(entry);
    } catch (...) {
        orlo::Free(block, orlo::LOCATION_DELETE);
        throw;
    }
    ReleaseModuleInfo();
    m_moduleInfo = copy;
    ORLO_UNGUARD
}

void HPluginModule::ReleaseModuleInfo() {
    if (m_moduleInfo != nullptr) {
        m_moduleInfo->~ModuleInfoBase();
        orlo::Free(m_moduleInfo, orlo::LOCATION_DELETE);
        m_moduleInfo = nullptr;
    }
}

HObjectFilter HPluginModule::GetObjectFilter(uint32_t kind) {
    HObjectFilter filter;
    switch (kind) {
    case KIND_MESHES:
        AddClass(filter.m_includeConvertible, kGeometrySuperClassID, kPolyObjectClassID);
        filter.m_excludeSuperClasses.Add(kShapeSuperClassID);
        filter.m_excludeSuperClasses.Add(kCameraSuperClassID);
        filter.m_excludeSuperClasses.Add(kLightSuperClassID);
        filter.m_excludeSuperClasses.Add(kHelperSuperClassID);
        AddClass(filter.m_excludeExact, kGeometrySuperClassID, kBoneObjectClassID);
        AddClass(filter.m_excludeExact, kGeometrySuperClassID, kClass9125);
        break;
    case KIND_BONES:
        AddClass(filter.m_includeExact, kGeometrySuperClassID, kBoneObjectClassID);
        AddClass(filter.m_includeExact, kGeometrySuperClassID, kClass9125);
        AddClass(filter.m_includeExact, kHelperSuperClassID, kClass8A63C0);
        AddClass(filter.m_excludeConvertible, kGeometrySuperClassID, kClass3011);
        break;
    case KIND_MATERIALS:
        for (const HHostClassID& material : kMaterialClasses)
            AddClass(filter.m_includeExact, kMaterialSuperClassID, material);
        break;
    default:
        break;
    }
    return filter;
}

orlo::UArray<HObject> HPluginModule::GetFromScene(uint32_t kinds, bool selectedOnly) {
    orlo::UArray<HObject> result;
    Interface* host = GetCOREInterface();
    const TimeValue t = host->GetTime();
    for (uint32_t kind = KIND_MESHES; kind <= KIND_INDEX_ITEMS; kind <<= 1) {
        if ((kinds & kind) == 0)
            continue;
        if (kind == KIND_MESHES || kind == KIND_BONES) {
            INode* root = host->GetRootNode();
            for (int i = 0; root != nullptr && i < root->NumberOfChildren(); ++i) {
                const HObjectFilter filter = GetObjectFilter(kind);
                if (INode* child = root->GetChildNode(i))
                    WalkNode(child, filter, selectedOnly, t, result);
            }
            if (kind == KIND_BONES) {
                // A node that a skin uses is a bone, whatever its object.
                const orlo::UArray<HObject> meshes = GetFromScene(KIND_MESHES, selectedOnly);
                for (const HObject& mesh : meshes) {
                    HPolygonMeshKit<float> kit(mesh);
                    orlo::UArray<HObject> bones;
                    if (!kit.GetBones(bones).IsDone())
                        continue;
                    for (const HObject& bone : bones)
                        if (!result.Contains(bone))
                            result.Add(bone);
                }
            }
        } else if (kind == KIND_MATERIALS) {
            MtlBaseLib* library = host->GetSceneMtls();
            if (library == nullptr)
                continue;
            HObjectFilter filter = GetObjectFilter(KIND_MATERIALS);
            // Materials are matched exactly only.
            for (const HObject::CompleteClassID& entry : filter.m_includeConvertible)
                filter.m_includeExact.Add(entry);
            for (const HObject::CompleteClassID& entry : filter.m_excludeConvertible)
                filter.m_excludeExact.Add(entry);
            for (int i = 0; i < library->Count(); ++i) {
                MtlBase* mtlBase = (*library)[i];
                if (mtlBase == nullptr)
                    continue;
                const uint32_t superClassID = uint32_t(mtlBase->SuperClassID());
                const Class_ID classID = mtlBase->ClassID();
                const uint32_t a = uint32_t(classID.PartA());
                const uint32_t b = uint32_t(classID.PartB());
                if (!HObjectFilter::HoldsExactly(filter.m_includeExact, superClassID, a, b) ||
                    HObjectFilter::HoldsSuperClass(filter.m_excludeSuperClasses, superClassID) ||
                    HObjectFilter::HoldsExactly(filter.m_excludeExact, superClassID, a, b))
                    continue;
                assure(IsMtl(mtlBase));
                result.Add(HObject::FromMaterial(static_cast<Mtl*>(mtlBase)));
            }
        } else {
            HIndexItemList* items = HIndexItemList::FindPublished();
            if (items == nullptr)
                continue;
            const uint32_t count = items->GetItemCount();
            for (uint32_t i = 0; i < count; ++i)
                result.Add(HObject::FromIndex(i));
        }
    }
    return result;
}

namespace {

DWORD WINAPI NoProgress(LPVOID) {
    return 0;
}

} // namespace

void HPluginModule::StartProgress() {
    GetCOREInterface()->ProgressStart(const_cast<TCHAR*>(""), TRUE, NoProgress, nullptr);
}

void HPluginModule::EndProgress() {
    GetCOREInterface()->ProgressEnd();
}

} // namespace merrow::platform_3dsmax

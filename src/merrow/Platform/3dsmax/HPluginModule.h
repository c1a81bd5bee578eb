#pragma once

#include <cstdint>

#include "merrow/HModuleInfo.h"
#include "merrow/Platform/3dsmax/HObject.h"
#include "merrow/Platform/3dsmax/HObjectFilter.h"
#include "orlo/Utils/UArray.h"

namespace merrow::platform_3dsmax {

// The plug-in's view of the host scene: the handles of its meshes, bones,
// materials and index items, and the host's progress display.
//
//     orlo::UArray<HObject> meshes = HPluginModule::GetFromScene(HPluginModule::KIND_MESHES, selectedOnly);
//     orlo::UArray<HObject> bones = HPluginModule::GetFromScene(HPluginModule::KIND_BONES, false);
//     HPluginModule::StartProgress(); ... HPluginModule::EndProgress();
class HPluginModule {
public:
    HPluginModule() = default;
    HPluginModule(const HPluginModule&) = delete;
    HPluginModule& operator=(const HPluginModule&) = delete;
    // A plug-in class instance (a translator) holds a private copy of its
    // module entry; releasing the instance releases the copy.
    virtual ~HPluginModule();

    // The copy of the module entry, none before SetModuleInfo.
    const ModuleInfoBase* GetModuleInfo() const { return m_moduleInfo; }
    // Keeps a copy of the plug-in information's entry for `moduleID`; raises
    // when there is none.
    void SetModuleInfo(uint32_t moduleID);

    enum KindBits : uint32_t {
        KIND_MESHES = 1,
        KIND_BONES = 2,
        KIND_MATERIALS = 4,
        KIND_INDEX_ITEMS = 8,
    };

    // The handles of every kind in the mask, kinds in bit order: nodes depth
    // first below the root (never the root), each node once; for bones also
    // every node a skin of a mesh uses; materials as often as the scene
    // library lists them. selectedOnly restricts node kinds to selected nodes.
    static orlo::UArray<HObject> GetFromScene(uint32_t kinds, bool selectedOnly);

    // The class filter of one kind bit; empty for any other value.
    static HObjectFilter GetObjectFilter(uint32_t kind);

    // The host's progress display without a title, the bar shown: only
    // marks that an export is under way.
    static void StartProgress();
    static void EndProgress();

private:
    void ReleaseModuleInfo();

    // Kept for the layout of the module part; nothing links instances.
    void* m_link = nullptr;
    ModuleInfoBase* m_moduleInfo = nullptr;
};

} // namespace merrow::platform_3dsmax

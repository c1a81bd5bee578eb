#include "merrow/Headers.h"

#include <initializer_list>

#include "orlo/CoreServices/Implementations/UCoreServices.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/ErrorDescription.h"

namespace merrow {

namespace {

constexpr uint32_t DEFAULT_POOL_SIZE = 4096;

orlo::ICoreServices* s_pluginCoreServices = nullptr;
orlo::CoreServicesAccessor s_previousAccessor = nullptr;
bool s_installed = false;

orlo::ICoreServices* GetPluginCoreServices() {
    return s_pluginCoreServices;
}

void Uninstall() {
    if (s_installed) {
        orlo::SetCoreServicesAccessor(s_previousAccessor);
        s_installed = false;
    }
}

} // namespace

void InitializePlugin_Base(const PluginDefinition& definition) {
    ORLO_GUARD
    // A second initialisation replaces the object of the first. That object
    // was allocated through the services current before it, so those must be
    // current again when it goes.
    Uninstall();
    delete s_pluginCoreServices;
    s_pluginCoreServices = orlo::CreateCoreServices_Default(DEFAULT_POOL_SIZE);
    if (s_pluginCoreServices == nullptr)
        orlo::RaiseError(ORLO_SOURCE_FILE, "InitializePlugin_Base", "unable to create the os core service object",
                         __LINE__);

    s_previousAccessor = orlo::SetCoreServicesAccessor(&GetPluginCoreServices);
    s_installed = true;

    // Slot 6, the failure channel's own, keeps no target: the channel also
    // feeds slot 3, so export failures and files that do not open reach the
    // host's information log.
    s_pluginCoreServices->SetLogTarget(orlo::LOG_SLOT_INFORMATION, definition.infoOutput);
    s_pluginCoreServices->SetLogTarget(orlo::LOG_SLOT_MORE_INFORMATION, definition.infoOutput);
    s_pluginCoreServices->SetLogTarget(orlo::LOG_SLOT_WARNING, definition.warningOutput);
    s_pluginCoreServices->SetLogTarget(orlo::LOG_SLOT_ERROR, definition.errorOutput);

    PluginInfo& info = GetPluginInfo();
    info.Reset();
    info.author = definition.author;
    info.name = definition.name;
    info.versionMajor = definition.versionMajor;
    info.versionMinor = definition.versionMinor;
    for (int32_t i = 0; i < definition.moduleCount; ++i) {
        const ModuleDefinition& module = definition.modules[i];
        ModuleInfoBase entry;
        entry.m_name = module.name;
        entry.m_uniqueID = module.uniqueID;
        entry.m_kind = module.kind;
        entry.m_create = module.create;
        entry.m_destroy = module.destroy;
        info.modules.AddTail(entry);
    }
    ORLO_UNGUARD_NAMED("InitializePlugin_Base")
}

void RestorePreviousCoreServices() {
    Uninstall();
}

void ShutdownPlugin_Base() {
    // The slots are process-wide and would otherwise keep pointing at the
    // host outputs after the plug-in has let go of the host.
    if (s_pluginCoreServices != nullptr) {
        for (int slot : {orlo::LOG_SLOT_INFORMATION, orlo::LOG_SLOT_MORE_INFORMATION, orlo::LOG_SLOT_WARNING,
                         orlo::LOG_SLOT_ERROR})
            s_pluginCoreServices->SetLogTarget(slot, nullptr);
    }
    Uninstall();
    delete s_pluginCoreServices;
    s_pluginCoreServices = nullptr;
}

} // namespace merrow

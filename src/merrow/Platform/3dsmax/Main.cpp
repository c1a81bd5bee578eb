// The module's entry points: what the host calls after loading the library
// to learn its SDK version, its description and its plug-in classes, and the
// one-time initialisation and shutdown around them.
#include <cstdint>

#include "max.h"

#include "log.h"
#include "merrow/HModuleInfo.h"
#include "merrow/Headers.h"
#include "merrow/Platform/3dsmax/HLogOutput.h"
#include "notify.h"
#include "orlo/CoreServices/Implementations/ModuleBase.h"
#include "orlo/CoreServices/Implementations/ULogMessage.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/ErrorDescription.h"
#include "orlo/Utils/UArray.h"
#include "orlo/Utils/URegex.h"
#include "plugapi.h"

#if defined(_WIN32)
#define PLUGIN_ENTRY extern "C" __declspec(dllexport)
#else
#define PLUGIN_ENTRY extern "C" __attribute__((visibility("default")))
#endif

#define ARRAY_COUNT(array) (sizeof(array) / sizeof((array)[0]))

namespace {

// One host class id for each plug-in module the host layer can register,
// indexed by the module's unique id. Entries 6 (the exporter) and 7 (the
// importer) are what scenes and settings refer to: they never change.
const uint32_t g_3dsmaxClassIDs[36][2] = {
    {0x51A40C11, 0x2E8D3F60}, {0x51A40C12, 0x2E8D3F61}, {0x51A40C13, 0x2E8D3F62}, {0x51A40C14, 0x2E8D3F63},
    {0x51A40C15, 0x2E8D3F64}, {0x51A40C16, 0x2E8D3F65}, {0x51A40C17, 0x2E8D3F66}, {0x51A40C18, 0x2E8D3F67},
    {0x51A40C19, 0x2E8D3F68}, {0x51A40C1A, 0x2E8D3F69}, {0x51A40C1B, 0x2E8D3F6A}, {0x51A40C1C, 0x2E8D3F6B},
    {0x51A40C1D, 0x2E8D3F6C}, {0x51A40C1E, 0x2E8D3F6D}, {0x51A40C1F, 0x2E8D3F6E}, {0x51A40C20, 0x2E8D3F6F},
    {0x51A40C21, 0x2E8D3F70}, {0x51A40C22, 0x2E8D3F71}, {0x51A40C23, 0x2E8D3F72}, {0x51A40C24, 0x2E8D3F73},
    {0x51A40C25, 0x2E8D3F74}, {0x51A40C26, 0x2E8D3F75}, {0x51A40C27, 0x2E8D3F76}, {0x51A40C28, 0x2E8D3F77},
    {0x51A40C29, 0x2E8D3F78}, {0x51A40C2A, 0x2E8D3F79}, {0x51A40C2B, 0x2E8D3F7A}, {0x51A40C2C, 0x2E8D3F7B},
    {0x51A40C2D, 0x2E8D3F7C}, {0x51A40C2E, 0x2E8D3F7D}, {0x51A40C2F, 0x2E8D3F7E}, {0x51A40C30, 0x2E8D3F7F},
    {0x51A40C31, 0x2E8D3F80}, {0x51A40C32, 0x2E8D3F81}, {0x51A40C33, 0x2E8D3F82}, {0x51A40C34, 0x2E8D3F83},
};

// Reports an error on the host's error log: nothing raised in the plug-in
// may reach the host.
void ReportToHost(const char* text);

template <class Call, class Result>
Result AnswerHost(Call&& call, Result fallback) {
    try {
        return call();
    } catch (const orlo::ErrorDescription& error) {
        ReportToHost(error.GetReport());
    } catch (...) {
        ReportToHost("Unknown error in the plug-in's class description.");
    }
    return fallback;
}

class GenericClassDescription : public ClassDesc {
public:
    explicit GenericClassDescription(const merrow::ModuleInfoBase* module) : m_module(module) {}

    int IsPublic() override { return 1; }
    void* Create(BOOL) override {
        return AnswerHost([&]() { return m_module->m_create(); }, static_cast<void*>(nullptr));
    }
    const TCHAR* ClassName() override { return m_module->m_name.c_str(); }
    const TCHAR* Category() override { return m_module->m_name.c_str(); }

    SClass_ID SuperClassID() override {
        return AnswerHost([&]() { return SuperClassOfKind(); }, SClass_ID(0));
    }

    Class_ID ClassID() override {
        return AnswerHost([&]() { return ClassIDOfModule(); }, Class_ID(0, 0));
    }

private:
    SClass_ID SuperClassOfKind() {
        switch (m_module->m_kind) {
        case merrow::ModuleInfoBase::KIND_UTILITY:
            return UTILITY_CLASS_ID;
        case merrow::ModuleInfoBase::KIND_SCENE_IMPORTER:
            return SCENE_IMPORT_CLASS_ID;
        case merrow::ModuleInfoBase::KIND_SCENE_EXPORTER:
            return SCENE_EXPORT_CLASS_ID;
        }
        assure_named(false, "`anonymous-namespace'::GenericClassDescription::SuperClassID");
        return 0;
    }

    Class_ID ClassIDOfModule() {
        assure_named(m_module->m_uniqueID < ARRAY_COUNT(g_3dsmaxClassIDs),
                     "`anonymous-namespace'::GenericClassDescription::ClassID");
        const uint32_t* id = g_3dsmaxClassIDs[m_module->m_uniqueID];
        return Class_ID(id[0], id[1]);
    }

    const merrow::ModuleInfoBase* m_module;
};

// Process-wide state: empty at load, filled by the one-time initialisation.
orlo::UArray<GenericClassDescription> g_classDescriptions;
orlo::UBaseString<unsigned char> g_description;
bool g_initialised = false;
merrow::platform_3dsmax::HLogOutput g_infoOutput(SYSLOG_INFO);
merrow::platform_3dsmax::HLogOutput g_warningOutput(SYSLOG_WARN);
merrow::platform_3dsmax::HLogOutput g_errorOutput(SYSLOG_ERROR);

void ReportToHost(const char* text) {
    g_errorOutput.Begin();
    try {
        g_errorOutput.Write(orlo::UBaseString<unsigned char>(text));
    } catch (...) {
        // No memory for a copy: what went wrong is likely just that.
        g_errorOutput.WriteUncopied(text);
    }
    g_errorOutput.End();
}

void DestroyClassDescriptions() {
    g_classDescriptions.Empty();
}

void OnSystemShutdown(void*, NotifyInfo*);

void Initialise() {
    merrow::PluginDefinition definition = merrow::GetPluginDefinition();
    definition.infoOutput = &g_infoOutput;
    definition.warningOutput = &g_warningOutput;
    definition.errorOutput = &g_errorOutput;
    merrow::InitializePlugin_Base(definition);

    InitCustomControls(static_cast<HINSTANCE>(orlo::FindModuleBase(reinterpret_cast<const void*>(&Initialise))));

    g_description = merrow::GetPluginInfo().GetDescription();

    DestroyClassDescriptions();
    for (const auto* node = merrow::GetPluginInfo().modules.GetFirst(); node != nullptr; node = node->next)
        g_classDescriptions.Emplace(&node->value);

    if (!RegisterNotification(OnSystemShutdown, nullptr, NOTIFY_SYSTEM_SHUTDOWN)) {
        orlo::ULogMessage(orlo::GetCoreServices()->GetLogChannel(orlo::LOG_CHANNEL_HOST_ERROR),
                          "Couldn't register callback upon program shutdown.");
        merrow::RestorePreviousCoreServices();
    }
}

// Every entry point but CanAutoDefer initialises once. Nothing raised here
// reaches the host: the report goes to the host's error log and the next
// entry call tries again.
void EnsureInitialised() {
    if (g_initialised)
        return;
    try {
        Initialise();
        g_initialised = true;
    } catch (const orlo::ErrorDescription& error) {
        ReportToHost(error.GetReport());
    } catch (...) {
        ReportToHost("The plug-in could not be initialised.");
    }
}

void OnSystemShutdown(void*, NotifyInfo*) {
    try {
        UnRegisterNotification(OnSystemShutdown, nullptr, NOTIFY_SYSTEM_SHUTDOWN);
        g_description.Empty();
        DestroyClassDescriptions();
        // The texts go with the modules: everything the plug-in's services
        // allocated is released before those services are.
        merrow::GetPluginInfo().Reset();
        merrow::ShutdownPlugin_Base();
        // The host may unload the module before the process ends.
        orlo::ReleaseRegexEngine();
    } catch (...) {
        // The host is going down; there is no one left to tell.
    }
}

} // namespace

PLUGIN_ENTRY const TCHAR* LibDescription() {
    EnsureInitialised();
    return g_description.c_str();
}

PLUGIN_ENTRY int LibNumberClasses() {
    EnsureInitialised();
    return g_classDescriptions.Num();
}

PLUGIN_ENTRY ClassDesc* LibClassDesc(int i) {
    EnsureInitialised();
    if (i < 0 || i >= g_classDescriptions.Num())
        return nullptr;
    return &g_classDescriptions[i];
}

PLUGIN_ENTRY ULONG LibVersion() {
    EnsureInitialised();
    return VERSION_3DSMAX;
}

PLUGIN_ENTRY ULONG CanAutoDefer() {
    return 0;
}

#pragma once

// Plug-in start-up that does not depend on the host: the plug-in's own core
// services and the plug-in information record.
//
//   static const merrow::ModuleDefinition modules[] = {{"MyExporter", 6, ModuleInfoBase::KIND_SCENE_EXPORTER,
//                                                       &CreateExporter, &DestroyExporter}};
//   merrow::InitializePlugin_Base({"Author", "MyExporter", 0, 1, modules, 1, &info, &warning, &error});
//   ...
//   merrow::ShutdownPlugin_Base();   // at host shutdown

#include <cstdint>

#include "merrow/HModuleInfo.h"
#include "orlo/CoreServices/Interfaces/ILog.h"

namespace merrow {

struct ModuleDefinition {
    const char* name;
    uint32_t uniqueID;
    int32_t kind;
    ModuleInfoBase::CreateFunction create;
    ModuleInfoBase::DestroyFunction destroy;
};

struct PluginDefinition {
    const char* author;
    const char* name;
    uint32_t versionMajor;
    uint32_t versionMinor;
    const ModuleDefinition* modules;
    int32_t moduleCount;
    // The host's log outputs: slots 2 and 3 go to the information output,
    // slot 7 to the warning output and slot 5 to the error output.
    orlo::ILog* infoOutput;
    orlo::ILog* warningOutput;
    orlo::ILog* errorOutput;
};

// What the plug-in offers: defined once by the product (its author, name,
// version and modules; the log outputs are the host layer's to fill in).
const PluginDefinition& GetPluginDefinition();

// Creates the plug-in's core services (default pool size 4096) and installs
// them behind the core services accessor, keeping the previous accessor;
// attaches the host log outputs to the output slots; fills the plug-in
// information from `definition`. Raises when no core services object can be
// created; the previous accessor then stays in place.
void InitializePlugin_Base(const PluginDefinition& definition);

// Reinstates the accessor that was current before InitializePlugin_Base, then
// destroys the plug-in's core services object (its memory came from the
// previous services, so it goes back there). Does nothing when none is installed.
void ShutdownPlugin_Base();

// Reinstates the previous accessor and keeps the plug-in's core services
// object alive: for a plug-in that could not register for host shutdown.
void RestorePreviousCoreServices();

} // namespace merrow

// The plug-in's identity and its two translators.
#include "QuarroExporter.h"
#include "QuarroImporter.h"
#include "merrow/Headers.h"

namespace {

template <class Translator>
void* CreateTranslator() {
    // The host's heap operators: the host deletes translators itself.
    return new Translator;
}

template <class Translator>
void DestroyTranslator(void* instance) {
    delete static_cast<Translator*>(instance);
}

const merrow::ModuleDefinition kModules[] = {
    {"QuarroExporter", QuarroExporter::MODULE_ID, merrow::ModuleInfoBase::KIND_SCENE_EXPORTER,
     &CreateTranslator<QuarroExporter>, &DestroyTranslator<QuarroExporter>},
    {"QuarroImporter", QuarroImporter::MODULE_ID, merrow::ModuleInfoBase::KIND_SCENE_IMPORTER,
     &CreateTranslator<QuarroImporter>, &DestroyTranslator<QuarroImporter>},
};

const merrow::PluginDefinition kPlugin = {
    "Kilnworth Games", "QuarroExporter", 0, 1, kModules, 2, nullptr, nullptr, nullptr,
};

} // namespace

const merrow::PluginDefinition& merrow::GetPluginDefinition() {
    return kPlugin;
}

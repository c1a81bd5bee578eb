#pragma once

// What the plug-in module offers the host: one process-wide PluginInfo record
// (author, name, version and the list of plug-in modules), filled by the
// one-time initialisation and read by the class descriptors and translators.
//
//   merrow::PluginInfo& info = merrow::GetPluginInfo();
//   const merrow::ModuleInfoBase& exporter = merrow::ModuleInfoBase::GetModuleInfoBaseFor(6);
//   void* instance = exporter.m_create();

#include <cstdint>

#include "orlo/Utils/UBaseString.h"
#include "orlo/Utils/UList.h"

namespace merrow {

// One plug-in module: its name, its index into the host class-id table, its
// kind, and how to create and destroy an instance of it.
struct ModuleInfoBase {
    enum Kind : int32_t {
        KIND_UTILITY = 0,
        KIND_SCENE_IMPORTER = 1,
        KIND_SCENE_EXPORTER = 2,
    };
    // A new instance as the host's object pointer.
    using CreateFunction = void* (*)();
    // Deletes an instance made by the create function through its virtual destructor.
    using DestroyFunction = void (*)(void* instance);

    orlo::UBaseString<unsigned char> m_name;
    uint32_t m_uniqueID = 0;
    int32_t m_kind = KIND_UTILITY;
    CreateFunction m_create = nullptr;
    DestroyFunction m_destroy = nullptr;

    // The entry of the plug-in information's module list whose m_uniqueID is
    // `id`, searched from the head; raises when there is none.
    static const ModuleInfoBase& GetModuleInfoBaseFor(uint32_t id);
};

struct PluginInfo {
    orlo::UBaseString<unsigned char> author;
    orlo::UBaseString<unsigned char> name;
    orlo::UBaseString<unsigned char> noticeText;
    orlo::UBaseString<unsigned char> extra1;
    orlo::UBaseString<unsigned char> otherMessage1;
    orlo::UBaseString<unsigned char> otherMessage2;
    orlo::UBaseString<unsigned char> extra2;
    uint32_t versionMajor = 0;
    uint32_t versionMinor = 0;
    orlo::UBaseString<unsigned char> versionSuffix;
    orlo::UList<ModuleInfoBase> modules;

    // Empties every text, sets the version to 0.0 and removes every module.
    void Reset();
    // "author name ... major.minor suffix": the texts that are not empty, one
    // blank before each after the author.
    orlo::UBaseString<unsigned char> GetDescription() const;
};

// The process-wide record, empty until the one-time initialisation fills it.
PluginInfo& GetPluginInfo();

} // namespace merrow

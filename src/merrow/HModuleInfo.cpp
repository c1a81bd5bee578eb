#include "merrow/HModuleInfo.h"

#include <initializer_list>

#include "orlo/ErrorDescription.h"

namespace merrow {

const ModuleInfoBase& ModuleInfoBase::GetModuleInfoBaseFor(uint32_t id) {
    for (const auto* node = GetPluginInfo().modules.GetFirst(); node != nullptr; node = node->next) {
        if (node->value.m_uniqueID == id)
            return node->value;
    }
    // The two texts join without a blank after the number: host logs and
    // tests have always read it that way.
    orlo::UBaseString<unsigned char> message("Error - module with ID ");
    message += id;
    message += "doesn't exist.";
    orlo::RaiseError(ORLO_SOURCE_FILE, "merrow::ModuleInfoBase::GetModuleInfoBaseFor", message.c_str(), __LINE__);
}

void PluginInfo::Reset() {
    extra2 = "";
    otherMessage2 = "";
    otherMessage1 = "";
    extra1 = "";
    noticeText = "";
    name = "";
    author = "";
    versionMajor = 0;
    versionMinor = 0;
    versionSuffix = "";
    while (modules.RemoveTail()) {
    }
}

orlo::UBaseString<unsigned char> PluginInfo::GetDescription() const {
    orlo::UBaseString<unsigned char> description;
    if (!author.IsEmpty())
        description += author;
    for (const auto* text : {&name, &noticeText, &extra1, &otherMessage1, &otherMessage2, &extra2}) {
        if (!text->IsEmpty()) {
            description += " ";
            description += *text;
        }
    }
    description += " ";
    description += versionMajor;
    description += ".";
    description += versionMinor;
    if (!versionSuffix.IsEmpty())
        description += versionSuffix;
    return description;
}

PluginInfo& GetPluginInfo() {
    static PluginInfo info;
    return info;
}

} // namespace merrow

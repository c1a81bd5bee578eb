#include "merrow/Platform/3dsmax/HPluginModule_FileTranslator.h"

#include <memory>
#include <new>

#include "merrow/HException.h"
#include "merrow/HModuleInfo.h"
#include "orlo/CoreServices/Implementations/ULogMessage.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/CoreServices/Interfaces/TStreamHandle.h"
#include "orlo/ErrorDescription.h"

namespace merrow::platform_3dsmax {

namespace {

// Failures that the host cannot show otherwise, on the failure channel:
// unopenable files, reports of errors that ended a run.
orlo::ILog* TranslatorErrors() {
    return orlo::GetLogChannel(orlo::LOG_CHANNEL_FAILURE);
}

// Nothing raised inside a translator call may reach the host: the error's
// report is logged and the call answers failure. Logging itself never raises.
template <class Call>
int AnswerHost(Call&& call) {
    try {
        return call();
    } catch (const orlo::ErrorDescription& error) {
        orlo::ULogMessage(TranslatorErrors(), "The plugin throwed an exception:\r\n") += error.GetReport();
    } catch (const HException& error) {
        orlo::ULogMessage(TranslatorErrors(), error.GetMessageText());
    } catch (const std::bad_alloc&) {
        // The host's own allocations (a mesh's arrays, say) raise this; ours
        // raise an error that names the request, after their warning.
        orlo::ULogMessage(orlo::GetLogChannel(orlo::LOG_CHANNEL_WARNING),
                          "The file translation is stopped: the host could not allocate the memory it needs.");
    } catch (...) {
        orlo::ULogMessage(TranslatorErrors(), "Unknown error during the file translation.");
    }
    return 0;
}

// The extension cache keeps the text alive for the host after the call.
void CacheExtension(orlo::UBaseString<unsigned char>& cache, orlo::UBaseString<unsigned char>* extension) {
    const std::unique_ptr<orlo::UBaseString<unsigned char>> owned(extension);
    if (owned != nullptr)
        cache = *owned;
}

orlo::UCommandLine CommandLineOf(const ModuleInfoBase* module) {
    orlo::UCommandLine commandLine;
    if (module != nullptr)
        commandLine.Parse(module->m_name);
    return commandLine;
}

} // namespace

// What both sides answer.

template <class HostInterface>
HPluginModule_FileTranslator<HostInterface>::HPluginModule_FileTranslator(uint32_t moduleID) {
    SetModuleInfo(moduleID);
}

template <class HostInterface>
HPluginModule_FileTranslator<HostInterface>::~HPluginModule_FileTranslator() noexcept = default;

template <class HostInterface>
int HPluginModule_FileTranslator<HostInterface>::ExtCount() {
    return 1;
}

// The host asks for the extension outside any run, so its failures (an
// allocation) are answered here: reported, and the cache as it stands.
template <class HostInterface>
const TCHAR* HPluginModule_FileTranslator<HostInterface>::Ext(int) {
    AnswerHost([this] {
        CacheExtension(m_extension, CreateExtension());
        return 1;
    });
    return m_extension.c_str();
}

template <class HostInterface>
const TCHAR* HPluginModule_FileTranslator<HostInterface>::LongDesc() {
    return GetPluginInfo().name.c_str();
}

template <class HostInterface>
const TCHAR* HPluginModule_FileTranslator<HostInterface>::ShortDesc() {
    return GetPluginInfo().name.c_str();
}

template <class HostInterface>
const TCHAR* HPluginModule_FileTranslator<HostInterface>::AuthorName() {
    return GetPluginInfo().author.c_str();
}

template <class HostInterface>
const TCHAR* HPluginModule_FileTranslator<HostInterface>::CopyrightMessage() {
    return GetPluginInfo().noticeText.c_str();
}

template <class HostInterface>
const TCHAR* HPluginModule_FileTranslator<HostInterface>::OtherMessage1() {
    return GetPluginInfo().otherMessage1.c_str();
}

template <class HostInterface>
const TCHAR* HPluginModule_FileTranslator<HostInterface>::OtherMessage2() {
    return GetPluginInfo().otherMessage2.c_str();
}

template <class HostInterface>
unsigned int HPluginModule_FileTranslator<HostInterface>::Version() {
    const PluginInfo& info = GetPluginInfo();
    return info.versionMajor * 100 + info.versionMinor;
}

template <class HostInterface>
void HPluginModule_FileTranslator<HostInterface>::ShowAbout(HWND) {}

template class HPluginModule_FileTranslator<SceneExport>;
template class HPluginModule_FileTranslator<SceneImport>;

// The exporter side.

int HPluginModule_FileTranslator_Writer::DoExport(const TCHAR* name, ExpInterface*, Interface*, BOOL, DWORD options) {
    return AnswerHost([&]() -> int {
        const orlo::UString path(name);
        orlo::TStreamHandle<orlo::IOutputStream> stream =
            orlo::GetCoreServices()->GetFileSystem()->CreateFileWriter(path, true, false);
        if (!stream || !stream->IsOpen()) {
            orlo::ULogMessage(TranslatorErrors(), "Can't open file \"") += path + "\" for writing.";
            return 0;
        }
        const orlo::UCommandLine commandLine = CommandLineOf(GetModuleInfo());
        HStatus result;
        Run(result, commandLine, stream.Get(), (options & SCENE_EXPORT_SELECTED) != 0);
        if (result.GetCode() != HStatus::DONE)
            return 0;
        // A full disk shows only here: the run's writes are buffered.
        if (!stream->Flush() || stream->HasFailed()) {
            orlo::ULogMessage(TranslatorErrors(), "Can't write file \"") += path + "\" to its end.";
            return 0;
        }
        return 1;
    });
}

BOOL HPluginModule_FileTranslator_Writer::SupportsOptions(int ext, DWORD options) {
    // The host asks only for the extensions that ExtCount announced; any
    // other index is a fault that is reported, not raised into the host.
    return AnswerHost([&]() -> int {
        // The report quotes the expression as written.
        // clang-format off
        assure(ext==0);
        // clang-format on
        return options == SCENE_EXPORT_SELECTED ? TRUE : FALSE;
    });
}

// The importer side.

int HPluginModule_FileTranslator_Reader::DoImport(const TCHAR* name, ImpInterface*, Interface*, BOOL) {
    return AnswerHost([&]() -> int {
        const orlo::UString path(name);
        orlo::TStreamHandle<orlo::IInputStream> stream =
            orlo::GetCoreServices()->GetFileSystem()->CreateFileReader(path);
        // An archive member that cannot be read comes as a stream that is not open.
        if (!stream || !stream->IsOpen()) {
            orlo::ULogMessage(TranslatorErrors(), "Can't open file \"") += path + "\" for reading.";
            return 0;
        }
        const orlo::UCommandLine commandLine = CommandLineOf(GetModuleInfo());
        HStatus result;
        Run(result, commandLine, stream.Get());
        return result.GetCode() == HStatus::DONE ? 1 : 0;
    });
}

int HPluginModule_FileTranslator_Reader::ZoomExtents() {
    return ZOOMEXT_NOT_IMPLEMENTED;
}

} // namespace merrow::platform_3dsmax

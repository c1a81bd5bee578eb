#pragma once

// The host's scene exporter and importer interfaces, implemented once for any
// translator: the descriptive answers come from the plug-in information, the
// file is opened through the core services' file system, the options command
// line is built from the module name, and the translator's run gives the
// status that becomes the host's answer.
//
//   class MyExporter : public HPluginModule_FileTranslator_Writer {
//   public:
//       MyExporter() : HPluginModule_FileTranslator_Writer(6) {}
//   protected:
//       void Run(HStatus& result, const orlo::UCommandLine& options, orlo::IOutputStream* stream,
//                bool selectedOnly) override;
//       orlo::UBaseString<unsigned char>* CreateExtension() override;   // new "abc"
//   };

#include <cstdint>

#include "max.h"

#include "impexp.h"
#include "merrow/Platform/3dsmax/HPluginModule.h"
#include "merrow/Platform/3dsmax/HStatus.h"
#include "orlo/CoreServices/Interfaces/IInputStream.h"
#include "orlo/CoreServices/Interfaces/IOutputStream.h"
#include "orlo/Utils/UBaseString.h"
#include "orlo/Utils/UCommandLine.h"

namespace merrow::platform_3dsmax {

// What exporters and importers answer alike. HostInterface is the host's
// SceneExport or SceneImport; it comes first, as the host expects.
template <class HostInterface>
class HPluginModule_FileTranslator : public HostInterface, public HPluginModule {
public:
    // Keeps a copy of the plug-in information's entry for `moduleID`.
    explicit HPluginModule_FileTranslator(uint32_t moduleID);
    ~HPluginModule_FileTranslator() noexcept override;

    int ExtCount() override;
    // The translator's extension whatever `n` is; the text stays valid until the next call.
    const TCHAR* Ext(int n) override;
    const TCHAR* LongDesc() override;
    const TCHAR* ShortDesc() override;
    const TCHAR* AuthorName() override;
    const TCHAR* CopyrightMessage() override;
    const TCHAR* OtherMessage1() override;
    const TCHAR* OtherMessage2() override;
    unsigned int Version() override;
    void ShowAbout(HWND hWnd) override;

protected:
    // A new string holding the file extension, without a dot.
    virtual orlo::UBaseString<unsigned char>* CreateExtension() = 0;

private:
    orlo::UBaseString<unsigned char> m_extension;
};

class HPluginModule_FileTranslator_Writer : public HPluginModule_FileTranslator<SceneExport> {
public:
    explicit HPluginModule_FileTranslator_Writer(uint32_t moduleID) : HPluginModule_FileTranslator(moduleID) {}

    // 1 when the run wrote the whole file, 0 otherwise. Nothing raised in the
    // run leaves towards the host: its report goes to log channel 6.
    int DoExport(const TCHAR* name, ExpInterface* ei, Interface* i, BOOL suppressPrompts = FALSE,
                 DWORD options = 0) override;
    // Only the "selected objects only" option, for extension 0.
    BOOL SupportsOptions(int ext, DWORD options) override;

protected:
    virtual void Run(HStatus& result, const orlo::UCommandLine& options, orlo::IOutputStream* stream,
                     bool selectedOnly) = 0;
};

class HPluginModule_FileTranslator_Reader : public HPluginModule_FileTranslator<SceneImport> {
public:
    explicit HPluginModule_FileTranslator_Reader(uint32_t moduleID) : HPluginModule_FileTranslator(moduleID) {}

    // 1 when the run read the file and built the scene, 0 otherwise.
    int DoImport(const TCHAR* name, ImpInterface* ii, Interface* i, BOOL suppressPrompts = FALSE) override;
    int ZoomExtents() override;

protected:
    virtual void Run(HStatus& result, const orlo::UCommandLine& options, orlo::IInputStream* stream) = 0;
};

extern template class HPluginModule_FileTranslator<SceneExport>;
extern template class HPluginModule_FileTranslator<SceneImport>;

} // namespace merrow::platform_3dsmax

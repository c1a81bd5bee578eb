#pragma once

// The scene exporter: writes the scene's skinned polygon meshes and the bones
// of their skins to a stream in the skinned-mesh text format.
//
//   HStatus status = QuarroExporter::Export(stream, selectedOnly);
//
// The host creates it through its class descriptor (module 6) and calls
// DoExport, which opens the file and runs Export.

#include <cstdint>

#include "merrow/Platform/3dsmax/HPluginModule_FileTranslator.h"
#include "merrow/Platform/3dsmax/HStatus.h"
#include "orlo/CoreServices/Interfaces/IOutputStream.h"

class QuarroExporter : public merrow::platform_3dsmax::HPluginModule_FileTranslator_Writer {
public:
    static constexpr uint32_t MODULE_ID = 6;

    QuarroExporter();

    // Every bone of every skin in the scene, then the meshes (only the
    // selected ones with selectedOnly), value by value in file order. Status
    // 0 when the file was written completely; a failure is reported on log
    // channel 6 and the stream keeps what was written before it.
    static merrow::platform_3dsmax::HStatus Export(orlo::IOutputStream* stream, bool selectedOnly);

protected:
    void Run(merrow::platform_3dsmax::HStatus& result, const orlo::UCommandLine& options, orlo::IOutputStream* stream,
             bool selectedOnly) override;
    orlo::UBaseString<unsigned char>* CreateExtension() override;
};

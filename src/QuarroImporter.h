#pragma once

// The scene importer: reads a file of the skinned-mesh text format and builds
// its bones (parents first), its polygon meshes with normals and texture
// channels, and their skins in the scene.
//
//   HStatus status;
//   QuarroImporter::Import(status, commandLine, stream);
//
// The host creates it through its class descriptor (module 7) and calls
// DoImport, which opens the file and runs Import.

#include <cstdint>

#include "merrow/Platform/3dsmax/HPluginModule_FileTranslator.h"
#include "merrow/Platform/3dsmax/HStatus.h"
#include "orlo/CoreServices/Interfaces/IInputStream.h"

class QuarroImporter : public merrow::platform_3dsmax::HPluginModule_FileTranslator_Reader {
public:
    static constexpr uint32_t MODULE_ID = 7;

    QuarroImporter();

    // Applies the options, reads the stream and builds the scene. Status 0
    // when the file was read (a mesh whose lists do not fit together is
    // skipped with a warning on log channel 7); 1, with nothing built, when
    // the reader rejected the file. Errors of the tokenizer and the kits pass.
    static merrow::platform_3dsmax::HStatus& Import(merrow::platform_3dsmax::HStatus& status,
                                                    const orlo::UCommandLine& options, orlo::IInputStream* stream);

protected:
    void Run(merrow::platform_3dsmax::HStatus& result, const orlo::UCommandLine& options,
             orlo::IInputStream* stream) override;
    orlo::UBaseString<unsigned char>* CreateExtension() override;
};

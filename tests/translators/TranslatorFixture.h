#pragma once

#include <string>

#include "../support/WrittenText.h"
#include "BoneData.h"
#include "KitsFixture.h"
#include "MeshData.h"
#include "QuarroExporter.h"
#include "QuarroImporter.h"
#include "QuarroTextReader.h"
#include "orlo/CoreServices/Implementations/UInputStream_Memory.h"
#include "orlo/CoreServices/Implementations/UOutputStream_Memory.h"
#include "orlo/Utils/UCommandLine.h"

// Scenes built through the host SDK, exported to text and imported from text.
class TranslatorTest : public KitsTest {
protected:
    struct Exported {
        int code;
        std::string text;
    };

    static Exported Export(bool selectedOnly = false) {
        orlo::UOutputStream_Memory stream("export.qro");
        const merrow::platform_3dsmax::HStatus status = QuarroExporter::Export(&stream, selectedOnly);
        return {status.GetCode(), orlo_test::TextOf(stream)};
    }

    static int Import(const std::string& text) {
        orlo::UInputStream_Memory stream("import.qro", text.data(), text.size());
        merrow::platform_3dsmax::HStatus status;
        QuarroImporter::Import(status, orlo::UCommandLine(orlo::UString("QuarroImporter")), &stream);
        return status.GetCode();
    }

    // The records of a text; fails the test when the reader refuses it.
    static void ReadBack(const std::string& text, orlo::UArray<BoneData>& bones, orlo::UArray<MeshData>& meshes) {
        orlo::UInputStream_Memory stream("read.qro", text.data(), text.size());
        ASSERT_TRUE(QuarroTextReader::Read(&stream, bones, meshes, nullptr)) << text;
    }

    static INode* Find(const char* name) { return Host()->GetINodeByName(name); }
};

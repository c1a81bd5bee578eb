// The plug-in module's entry points and translators, as the host uses them:
// one process, one life of the plug-in, in the host's order.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "HostLogRecorder.h"
#include "KitsFixture.h"
#include "max.h"
#include "merrow/HModuleInfo.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"

extern "C" {
const TCHAR* LibDescription();
int LibNumberClasses();
ClassDesc* LibClassDesc(int i);
ULONG LibVersion();
ULONG CanAutoDefer();
}

namespace {

bool LogHas(const HostLogRecorder& log, const std::string& text) {
    for (const auto& entry : log.Entries())
        if (entry.text.find(text) != std::string::npos)
            return true;
    return false;
}

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("quarro_plugin_" + name)).string();
}

// Empties the scene the way a user would, keeping the host's registrations
// (the plug-in's shutdown notification among them).
void DeleteAllNodes() {
    INode* root = GetCOREInterface()->GetRootNode();
    while (root->NumberOfChildren() > 0)
        GetCOREInterface()->DeleteNode(root->GetChildNode(0), FALSE);
}

class QuarroPluginTest : public KitsTest {};

TEST_F(QuarroPluginTest, AWholeLifeInTheHostsOrder) {
    HostLogRecorder log;
    orlo::ICoreServices* before = orlo::GetCoreServices();

    // The first call may be any entry point; the description is complete.
    EXPECT_STREQ(LibDescription(), "Kilnworth Games QuarroExporter 0.1");
    orlo::ICoreServices* plugin = orlo::GetCoreServices();
    EXPECT_NE(plugin, before);
    EXPECT_EQ(LibVersion(), 0x23281500u);
    EXPECT_EQ(orlo::GetCoreServices(), plugin) << "a second entry call initialised again";
    EXPECT_EQ(CanAutoDefer(), 0u);

    ASSERT_EQ(LibNumberClasses(), 2);
    ClassDesc* exporterClass = LibClassDesc(0);
    ClassDesc* importerClass = LibClassDesc(1);
    ASSERT_TRUE(exporterClass && importerClass);
    EXPECT_EQ(LibClassDesc(2), nullptr);
    EXPECT_EQ(LibClassDesc(-1), nullptr);
    EXPECT_EQ(exporterClass->SuperClassID(), SClass_ID(0xA20));
    EXPECT_EQ(importerClass->SuperClassID(), SClass_ID(0xA10));
    EXPECT_FALSE(exporterClass->ClassID() == importerClass->ClassID());
    // Stored scenes refer to the two classes by these ids: they never change.
    EXPECT_TRUE(exporterClass->ClassID() == Class_ID(0x51A40C17, 0x2E8D3F66));
    EXPECT_TRUE(importerClass->ClassID() == Class_ID(0x51A40C18, 0x2E8D3F67));
    EXPECT_EQ(exporterClass->IsPublic(), 1);
    EXPECT_STREQ(exporterClass->ClassName(), "QuarroExporter");
    EXPECT_STREQ(importerClass->ClassName(), "QuarroImporter");
    EXPECT_STREQ(importerClass->Category(), "QuarroImporter");

    SceneExport* exporter = static_cast<SceneExport*>(exporterClass->Create(FALSE));
    SceneImport* importer = static_cast<SceneImport*>(importerClass->Create(FALSE));
    ASSERT_TRUE(exporter && importer);
    EXPECT_EQ(exporter->ExtCount(), 1);
    EXPECT_STREQ(exporter->Ext(0), "qro");
    EXPECT_STREQ(exporter->Ext(5), "qro");
    EXPECT_STREQ(importer->Ext(0), "qro");
    EXPECT_STREQ(exporter->LongDesc(), "QuarroExporter");
    EXPECT_STREQ(importer->LongDesc(), "QuarroExporter");
    EXPECT_STREQ(importer->ShortDesc(), "QuarroExporter");
    EXPECT_STREQ(exporter->AuthorName(), "Kilnworth Games");
    EXPECT_STREQ(exporter->CopyrightMessage(), "");
    EXPECT_EQ(exporter->Version(), 1u);
    EXPECT_EQ(importer->Version(), 1u);
    EXPECT_EQ(importer->ZoomExtents(), -1);
    EXPECT_TRUE(exporter->SupportsOptions(0, SCENE_EXPORT_SELECTED));
    EXPECT_FALSE(exporter->SupportsOptions(0, 0));
    EXPECT_FALSE(exporter->SupportsOptions(0, 3));
    // An extension the exporter never announced: reported, not raised.
    EXPECT_FALSE(exporter->SupportsOptions(1, SCENE_EXPORT_SELECTED));
    EXPECT_TRUE(LogHas(log, "'assure' failed: ext==0"));

    // A folder that does not exist; the "%" reaches the log as it is.
    const std::string nowhere = TempPath("missing_folder") + "/100%s.qro";
    EXPECT_EQ(exporter->DoExport(nowhere.c_str(), nullptr, GetCOREInterface()), 0);
    EXPECT_TRUE(LogHas(log, "Can't open file \"" + nowhere + "\" for writing."));
    EXPECT_FALSE(std::filesystem::exists(nowhere));

    NewBone("Root", Point3(0, 0, 1));
    const std::string file = TempPath("scene.qro");
    EXPECT_EQ(exporter->DoExport(file.c_str(), nullptr, GetCOREInterface()), 1);
    ASSERT_TRUE(std::filesystem::exists(file));

    DeleteAllNodes();
    EXPECT_EQ(importer->DoImport(file.c_str(), nullptr, GetCOREInterface()), 1);
    EXPECT_NE(GetCOREInterface()->GetINodeByName("Root"), nullptr);

    DeleteAllNodes();
    const std::string broken = TempPath("broken.qro");
    std::ofstream(broken, std::ios::binary) << "version 7\r\n";
    EXPECT_EQ(importer->DoImport(broken.c_str(), nullptr, GetCOREInterface()), 0);
    EXPECT_EQ(GetCOREInterface()->GetRootNode()->NumberOfChildren(), 0);
    const std::string absent = TempPath("absent.qro");
    EXPECT_EQ(importer->DoImport(absent.c_str(), nullptr, GetCOREInterface()), 0);
    EXPECT_TRUE(LogHas(log, "Can't open file \"" + absent + "\" for reading."));

    delete exporter;
    delete importer;
    std::remove(file.c_str());
    std::remove(broken.c_str());

    // Host shutdown: the plug-in lets go of everything it set up.
    BroadcastHostShutdown();
    EXPECT_EQ(LibNumberClasses(), 0);
    EXPECT_EQ(orlo::GetCoreServices(), before);
}

} // namespace

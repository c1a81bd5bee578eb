// The plug-in module's entry points and translators, as the host uses them:
// one process, one life of the plug-in, in the host's order.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../support/RecordingCoreServices.h"
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

// What a child says when every check held. A matcher, not a regular
// expression: Oniguruma, linked here, exports regcomp and regexec of its own,
// and under AddressSanitizer gtest's regcomp reaches Oniguruma's while its
// regexec reaches the C library's, which then waits on a lock forever.
const auto kAllChecksHeld = ::testing::HasSubstr("all checks held");

// The plug-in starts once per process, so each of these runs in a process
// of its own (a child that ends with status 0 when every check held, and
// prints what did not otherwise).
class QuarroPluginStartDeathTest : public KitsTest {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        KitsTest::SetUp();
    }

    static int s_failures;
    static void Check(bool condition, const std::string& what) {
        if (!condition) {
            std::fprintf(stderr, "check failed: %s\n", what.c_str());
            ++s_failures;
        }
    }
    [[noreturn]] static void Finish() {
        if (s_failures == 0)
            std::fprintf(stderr, "all checks held\n");
        std::fflush(stderr);
        std::_Exit(s_failures == 0 ? 0 : 1);
    }
    static int HostErrors(const HostLogRecorder& log) {
        int errors = 0;
        for (const auto& entry : log.Entries())
            errors += entry.type == SYSLOG_ERROR ? 1 : 0;
        return errors;
    }

    static void StartWithoutMemoryThenWithIt();
    static void StartOnAHostThatRefusesTheShutdownCallback();
};
int QuarroPluginStartDeathTest::s_failures = 0;

// No memory for the plug-in's core services when the host first calls in:
// the entry call that met it answers as if there were nothing to offer and
// reports it on the host's error log; the next entry call, whichever it is,
// starts again, and the start happens once.
void QuarroPluginStartDeathTest::StartWithoutMemoryThenWithIt() {
    HostLogRecorder log;
    // The services current when the plug-in starts: its own are made through them.
    orlo_test::RecordingCoreServicesScope hostServices;
    orlo::ICoreServices* before = orlo::GetCoreServices();

    struct Call {
        const char* name;
        std::string (*answer)();
        const char* whenNotStarted;
    };
    const Call calls[] = {
        {"LibDescription", [] { return std::string(LibDescription()); }, ""},
        {"LibNumberClasses", [] { return std::to_string(LibNumberClasses()); }, "0"},
        {"LibClassDesc", [] { return std::string(LibClassDesc(0) != nullptr ? "a class" : "no class"); }, "no class"},
        {"LibVersion", [] { return std::to_string(LibVersion()); }, nullptr},
    };
    hostServices.Pool().SetRefusing(true);
    int reports = 0;
    for (const Call& call : calls) {
        const std::string answer = call.answer();
        if (call.whenNotStarted != nullptr)
            Check(answer == call.whenNotStarted, std::string(call.name) + " without memory answered " + answer);
        Check(HostErrors(log) == ++reports, std::string(call.name) + " without memory reported it once");
        Check(orlo::GetCoreServices() == before, std::string(call.name) + " left the host's core services current");
    }
    Check(LogHas(log, "unable to create the os core service object"), "the report says what failed");
    Check(maxsim::HostInterface::Instance().NotificationCount(NOTIFY_SYSTEM_SHUTDOWN) == 0,
          "nothing is registered while the start fails");

    hostServices.Pool().SetRefusing(false);
    Check(LibNumberClasses() == 2, "two classes, each once");
    Check(std::string(LibDescription()) == "Kilnworth Games QuarroExporter 0.1", "the description is whole");
    Check(maxsim::HostInterface::Instance().NotificationCount(NOTIFY_SYSTEM_SHUTDOWN) == 1,
          "the shutdown callback is registered once");
    Check(HostErrors(log) == reports, "the start that succeeded reports nothing");
    Check(orlo::GetCoreServices() != before, "the plug-in's core services are current");
    Check(hostServices.Pool().Outstanding() == 1, "one block of the host's services holds the plug-in's");

    BroadcastHostShutdown();
    Check(LibNumberClasses() == 0, "the shutdown lets go of the classes");
    Check(orlo::GetCoreServices() == before, "the shutdown gives back the host's core services");
    Check(hostServices.Pool().Outstanding() == 0, "the plug-in's core services are released");
    Finish();
}

TEST_F(QuarroPluginStartDeathTest, AStartWithoutMemoryIsReportedAndTriedAgainAtTheNextCall) {
    EXPECT_EXIT(StartWithoutMemoryThenWithIt(), ::testing::ExitedWithCode(0), kAllChecksHeld);
}

// A host that refuses the shutdown callback: the plug-in says so on the
// host's error log, goes back to the core services it found, and still
// translates; it starts only once.
void QuarroPluginStartDeathTest::StartOnAHostThatRefusesTheShutdownCallback() {
    HostLogRecorder log;
    orlo::ICoreServices* before = orlo::GetCoreServices();
    maxsim::HostInterface::Instance().RefuseNotifications();

    Check(std::string(LibDescription()) == "Kilnworth Games QuarroExporter 0.1", "the description is whole");
    Check(LogHas(log, "Couldn't register callback upon program shutdown."), "the refusal is reported");
    Check(log.Entries().size() == 1 && log.Entries()[0].type == SYSLOG_ERROR, "one report, on the host's error log");
    Check(orlo::GetCoreServices() == before, "the core services found at the start are current again");
    Check(LibNumberClasses() == 2, "two classes");
    Check(log.Entries().size() == 1, "later entry calls do not start again");

    ClassDesc* exporterClass = LibClassDesc(0);
    ClassDesc* importerClass = LibClassDesc(1);
    if (exporterClass == nullptr || importerClass == nullptr) {
        Check(false, "both classes are handed out");
        Finish();
    }
    SceneExport* exporter = static_cast<SceneExport*>(exporterClass->Create(FALSE));
    SceneImport* importer = static_cast<SceneImport*>(importerClass->Create(FALSE));
    NewBone("Root", Point3(0, 0, 1));
    const std::string file = TempPath("refused_shutdown.qro");
    Check(exporter->DoExport(file.c_str(), nullptr, GetCOREInterface()) == 1, "the export succeeds");
    DeleteAllNodes();
    Check(importer->DoImport(file.c_str(), nullptr, GetCOREInterface()) == 1, "the import succeeds");
    Check(GetCOREInterface()->GetINodeByName("Root") != nullptr, "the import builds the bone");
    delete exporter;
    delete importer;
    std::remove(file.c_str());
    Finish();
}

TEST_F(QuarroPluginStartDeathTest, ARefusedShutdownCallbackIsReportedAndTheHostsServicesComeBack) {
    EXPECT_EXIT(StartOnAHostThatRefusesTheShutdownCallback(), ::testing::ExitedWithCode(0), kAllChecksHeld);
}

} // namespace

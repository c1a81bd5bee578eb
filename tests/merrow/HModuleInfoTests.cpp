#include <gtest/gtest.h>

#include <string>

#include "../support/RecordingLog.h"
#include "merrow/HModuleInfo.h"
#include "merrow/Headers.h"
#include "orlo/CoreServices/Interfaces/ICoreServices.h"
#include "orlo/ErrorDescription.h"

namespace {

int s_created = 0;
void* CreateCounted() {
    ++s_created;
    return &s_created;
}
void DestroyNothing(void*) {}

const merrow::ModuleDefinition kModules[] = {
    {"QuarroExporter", 6, merrow::ModuleInfoBase::KIND_SCENE_EXPORTER, &CreateCounted, &DestroyNothing},
    {"QuarroImporter", 7, merrow::ModuleInfoBase::KIND_SCENE_IMPORTER, &CreateCounted, &DestroyNothing},
};

// The host's outputs outlive every test (log objects may raise from their destructors).
orlo_test::RecordingLog m_info;
orlo_test::RecordingLog m_warning;
orlo_test::RecordingLog m_error;

class PluginStartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_info.Clear();
        m_warning.Clear();
        m_error.Clear();
    }
    void TearDown() override {
        merrow::GetPluginInfo().Reset();
        merrow::ShutdownPlugin_Base();
    }

    void Initialise() {
        merrow::InitializePlugin_Base(
            {"Kilnworth Games", "QuarroExporter", 0, 1, kModules, 2, &m_info, &m_warning, &m_error});
    }
};

TEST_F(PluginStartupTest, FillsThePluginInformationInListOrder) {
    Initialise();
    const merrow::PluginInfo& info = merrow::GetPluginInfo();
    EXPECT_STREQ(info.author.c_str(), "Kilnworth Games");
    EXPECT_STREQ(info.name.c_str(), "QuarroExporter");
    EXPECT_EQ(info.versionMajor, 0u);
    EXPECT_EQ(info.versionMinor, 1u);
    ASSERT_EQ(info.modules.Num(), 2);
    EXPECT_STREQ(info.modules.GetFirst()->value.m_name.c_str(), "QuarroExporter");
    EXPECT_EQ(info.modules.GetFirst()->value.m_kind, merrow::ModuleInfoBase::KIND_SCENE_EXPORTER);
    EXPECT_STREQ(info.modules.GetLast()->value.m_name.c_str(), "QuarroImporter");
    EXPECT_STREQ(info.GetDescription().c_str(), "Kilnworth Games QuarroExporter 0.1");
}

TEST_F(PluginStartupTest, ASecondInitialisationStartsTheListAfresh) {
    Initialise();
    Initialise();
    EXPECT_EQ(merrow::GetPluginInfo().modules.Num(), 2);
}

TEST_F(PluginStartupTest, DescriptionJoinsTheTextsThatAreNotEmpty) {
    merrow::PluginInfo info;
    info.versionMajor = 2;
    info.versionMinor = 13;
    EXPECT_STREQ(info.GetDescription().c_str(), " 2.13");
    info.author = "A";
    info.extra1 = "x";
    info.otherMessage2 = "y";
    info.versionSuffix = "b";
    EXPECT_STREQ(info.GetDescription().c_str(), "A x y 2.13b");
}

TEST_F(PluginStartupTest, ModulesAreFoundByTheirClassIdIndex) {
    Initialise();
    const merrow::ModuleInfoBase& importer = merrow::ModuleInfoBase::GetModuleInfoBaseFor(7);
    EXPECT_STREQ(importer.m_name.c_str(), "QuarroImporter");
    s_created = 0;
    EXPECT_EQ(importer.m_create(), &s_created);
    EXPECT_EQ(s_created, 1);
}

TEST_F(PluginStartupTest, AnUnknownModuleIdRaisesWithoutABlankAfterTheNumber) {
    Initialise();
    try {
        merrow::ModuleInfoBase::GetModuleInfoBaseFor(8);
        FAIL() << "no error raised";
    } catch (const orlo::ErrorDescription& error) {
        EXPECT_STREQ(error.GetMessageText(), "Error - module with ID 8doesn't exist.");
        EXPECT_STREQ(error.GetFile(), "HModuleInfo");
        EXPECT_EQ(std::string(error.GetHistory()).find("merrow::ModuleInfoBase::GetModuleInfoBaseFor"), 0u);
    }
}

TEST_F(PluginStartupTest, InstallsItsOwnCoreServicesAndReinstatesThePreviousOnes) {
    orlo::ICoreServices* before = orlo::GetCoreServices();
    Initialise();
    orlo::ICoreServices* plugin = orlo::GetCoreServices();
    EXPECT_NE(plugin, before);
    merrow::ShutdownPlugin_Base();
    EXPECT_EQ(orlo::GetCoreServices(), before);
}

TEST_F(PluginStartupTest, HostLogOutputsHearTheirChannels) {
    Initialise();
    orlo::ICoreServices* services = orlo::GetCoreServices();
    struct Case {
        int channel;
        orlo_test::RecordingLog* output;
    };
    // Channel 3 reaches slot 3 (information), 5 slot 5 (errors), 7 slot 7
    // (warnings); channel 6 only slots without a host output but 3.
    for (const Case& c : {Case{3, &m_info}, Case{5, &m_error}, Case{7, &m_warning}}) {
        orlo::ILog* channel = services->GetLogChannel(c.channel);
        channel->Begin();
        channel->Write(orlo::UString("hello"));
        channel->End();
        EXPECT_NE(c.output->All().find("hello"), std::string::npos) << "channel " << c.channel;
    }
    merrow::ShutdownPlugin_Base();
    // After shutdown the slots no longer reach the host outputs.
    std::string after = m_warning.All();
    orlo::ILog* channel = orlo::GetCoreServices()->GetLogChannel(7);
    channel->Begin();
    channel->Write(orlo::UString("late"));
    channel->End();
    EXPECT_EQ(m_warning.All(), after);
}

} // namespace

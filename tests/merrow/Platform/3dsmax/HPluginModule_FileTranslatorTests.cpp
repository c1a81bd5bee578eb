// What the glue answers the host when a translator's run raises: nothing
// leaves towards the host, the answer is 0 and the failure is reported on the
// failure channel, each kind of exception in its own words.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "../../../support/RecordingLog.h"
#include "KitsFixture.h"
#include "merrow/HException.h"
#include "merrow/HModuleInfo.h"
#include "merrow/Headers.h"
#include "merrow/Platform/3dsmax/HPluginModule_FileTranslator.h"
#include "orlo/ErrorDescription.h"

using merrow::platform_3dsmax::HPluginModule_FileTranslator_Reader;
using merrow::platform_3dsmax::HPluginModule_FileTranslator_Writer;
using merrow::platform_3dsmax::HStatus;

namespace {

enum class Raised { HostError, LibraryError, Other };

void RaiseNow(Raised raised) {
    switch (raised) {
    case Raised::HostError:
        throw merrow::HException("The scene changed during the run.", HStatus::FAILED);
    case Raised::LibraryError:
        throw orlo::ErrorDescription("Run.cpp", "Run()", "out of patience", 12);
    case Raised::Other:
        throw 42;
    }
}

// Raises in its run, or with inExtension when the host asks for its extension
// (where an allocation can fail as well).
class RaisingWriter : public HPluginModule_FileTranslator_Writer {
public:
    explicit RaisingWriter(Raised raised, bool inExtension = false)
        : HPluginModule_FileTranslator_Writer(0), m_raised(raised), m_inExtension(inExtension) {}

protected:
    void Run(HStatus&, const orlo::UCommandLine&, orlo::IOutputStream*, bool) override { RaiseNow(m_raised); }
    orlo::UBaseString<unsigned char>* CreateExtension() override {
        if (m_inExtension)
            RaiseNow(m_raised);
        return new orlo::UBaseString<unsigned char>("t");
    }

private:
    Raised m_raised;
    bool m_inExtension;
};

class RaisingReader : public HPluginModule_FileTranslator_Reader {
public:
    explicit RaisingReader(Raised raised, bool inExtension = false)
        : HPluginModule_FileTranslator_Reader(1), m_raised(raised), m_inExtension(inExtension) {}

protected:
    void Run(HStatus&, const orlo::UCommandLine&, orlo::IInputStream*) override { RaiseNow(m_raised); }
    orlo::UBaseString<unsigned char>* CreateExtension() override {
        if (m_inExtension)
            RaiseNow(m_raised);
        return new orlo::UBaseString<unsigned char>("t");
    }

private:
    Raised m_raised;
    bool m_inExtension;
};

// Writes a line, then ends its run with the given status; the reader only
// ends with it.
class StatusWriter : public HPluginModule_FileTranslator_Writer {
public:
    explicit StatusWriter(int code) : HPluginModule_FileTranslator_Writer(0), m_code(code) {}

protected:
    void Run(HStatus& result, const orlo::UCommandLine&, orlo::IOutputStream* stream, bool) override {
        stream->Serialize("version 1\r\n", 11);
        result.SetCode(m_code);
    }
    orlo::UBaseString<unsigned char>* CreateExtension() override { return new orlo::UBaseString<unsigned char>("t"); }

private:
    int m_code;
};

class StatusReader : public HPluginModule_FileTranslator_Reader {
public:
    explicit StatusReader(int code) : HPluginModule_FileTranslator_Reader(1), m_code(code) {}

protected:
    void Run(HStatus& result, const orlo::UCommandLine&, orlo::IInputStream*) override { result.SetCode(m_code); }
    orlo::UBaseString<unsigned char>* CreateExtension() override { return new orlo::UBaseString<unsigned char>("t"); }

private:
    int m_code;
};

void* CreateNothing() {
    return nullptr;
}
void DestroyNothing(void*) {}

const merrow::ModuleDefinition kModules[] = {
    {"RaisingWriter", 0, merrow::ModuleInfoBase::KIND_SCENE_EXPORTER, &CreateNothing, &DestroyNothing},
    {"RaisingReader", 1, merrow::ModuleInfoBase::KIND_SCENE_IMPORTER, &CreateNothing, &DestroyNothing},
};

// The host's outputs outlive every test (log objects may raise from their destructors).
orlo_test::RecordingLog s_hostOutput;

class TranslatorGlueTest : public KitsTest {
protected:
    void SetUp() override {
        KitsTest::SetUp();
        merrow::InitializePlugin_Base(
            {"Kilnworth Games", "Glue", 0, 1, kModules, 2, &s_hostOutput, &s_hostOutput, &s_hostOutput});
    }
    void TearDown() override {
        merrow::GetPluginInfo().Reset();
        merrow::ShutdownPlugin_Base();
        KitsTest::TearDown();
    }
};

struct RaisedCase {
    const char* name;
    Raised raised;
    const char* report; // the start of what the failure channel carries
};

void PrintTo(const RaisedCase& row, std::ostream* out) {
    *out << row.name;
}

const RaisedCase kRaisedCases[] = {
    {"HostError", Raised::HostError, "The scene changed during the run."},
    {"LibraryError", Raised::LibraryError, "The plugin throwed an exception:\r\n"},
    {"Other", Raised::Other, "Unknown error during the file translation."},
};

class RaisedInTheRun : public TranslatorGlueTest, public ::testing::WithParamInterface<RaisedCase> {};

TEST_P(RaisedInTheRun, AnswersNothingDoneAndReportsItOnTheFailureChannel) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "glue_raised.t";
    std::ofstream(file) << "anything";
    for (bool exporting : {true, false}) {
        SCOPED_TRACE(exporting ? "export" : "import");
        // The failure channel's own output slot.
        orlo_test::FailureCapture failures;
        int answer = -1;
        if (exporting) {
            RaisingWriter writer(GetParam().raised);
            EXPECT_NO_THROW(answer = writer.DoExport(file.string().c_str(), nullptr, nullptr));
        } else {
            RaisingReader reader(GetParam().raised);
            EXPECT_NO_THROW(answer = reader.DoImport(file.string().c_str(), nullptr, nullptr));
        }
        EXPECT_EQ(answer, 0);
        ASSERT_EQ(failures.Messages().size(), 1u) << failures.All();
        EXPECT_EQ(failures.Messages()[0].rfind(GetParam().report, 0), 0u) << failures.Messages()[0];
        if (GetParam().raised == Raised::LibraryError) {
            EXPECT_NE(failures.Messages()[0].find("out of patience"), std::string::npos) << failures.Messages()[0];
        }
    }
    std::filesystem::remove(file);
}

// The host asks for the extension outside any run: what is raised there is
// reported the same way, and the host gets the text the cache holds.
TEST_P(RaisedInTheRun, RaisedWhenAskedForTheExtensionAnswersTheCachedTextAndReportsIt) {
    for (bool exporting : {true, false}) {
        SCOPED_TRACE(exporting ? "export" : "import");
        orlo_test::FailureCapture failures;
        const TCHAR* answer = nullptr;
        if (exporting) {
            RaisingWriter writer(GetParam().raised, true);
            EXPECT_NO_THROW(answer = writer.Ext(0));
            ASSERT_NE(answer, nullptr);
            EXPECT_STREQ(answer, "");
        } else {
            RaisingReader reader(GetParam().raised, true);
            EXPECT_NO_THROW(answer = reader.Ext(0));
            ASSERT_NE(answer, nullptr);
            EXPECT_STREQ(answer, "");
        }
        ASSERT_EQ(failures.Messages().size(), 1u) << failures.All();
        EXPECT_EQ(failures.Messages()[0].rfind(GetParam().report, 0), 0u) << failures.Messages()[0];
    }
}

INSTANTIATE_TEST_SUITE_P(Glue, RaisedInTheRun, ::testing::ValuesIn(kRaisedCases),
                         [](const ::testing::TestParamInfo<RaisedCase>& info) { return info.param.name; });

// The host hears 1 only for a run that ended with status 0; the run has
// reported any failure itself, so the glue adds nothing.
struct StatusCase {
    const char* name;
    int code;
    int answer;
};

void PrintTo(const StatusCase& row, std::ostream* out) {
    *out << row.name;
}

const StatusCase kStatusCases[] = {
    {"Done", HStatus::DONE, 1},
    {"Failed", HStatus::FAILED, 0},
    {"NotSupported", HStatus::NOT_SUPPORTED, 0},
};

class RunStatus : public TranslatorGlueTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(RunStatus, IsAnsweredToTheHost) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "glue_status.t";
    orlo_test::FailureCapture failures;
    StatusWriter writer(GetParam().code);
    EXPECT_EQ(writer.DoExport(file.string().c_str(), nullptr, nullptr), GetParam().answer) << "export";
    StatusReader reader(GetParam().code);
    EXPECT_EQ(reader.DoImport(file.string().c_str(), nullptr, nullptr), GetParam().answer) << "import";
    EXPECT_TRUE(failures.Messages().empty()) << failures.All();
    std::filesystem::remove(file);
}

INSTANTIATE_TEST_SUITE_P(Glue, RunStatus, ::testing::ValuesIn(kStatusCases),
                         [](const ::testing::TestParamInfo<StatusCase>& info) { return info.param.name; });

// A full disk shows only when the buffered writes reach the file: a run that
// succeeded is then answered 0, with the file named.
TEST_F(TranslatorGlueTest, AFileThatCannotBeWrittenToItsEndIsAnsweredNothingDone) {
#ifdef _WIN32
    GTEST_SKIP() << "no device that is always full in the Windows build";
#endif
    const char* full = "/dev/full";
    if (!std::filesystem::exists(full))
        GTEST_SKIP() << "no " << full << " (a device that is always full) on this system";
    orlo_test::FailureCapture failures;
    StatusWriter writer(HStatus::DONE);
    EXPECT_EQ(writer.DoExport(full, nullptr, nullptr), 0);
    ASSERT_EQ(failures.Messages().size(), 1u) << failures.All();
    EXPECT_EQ(failures.Messages()[0].rfind("Can't write file \"/dev/full\" to its end.", 0), 0u)
        << failures.Messages()[0];
}

} // namespace

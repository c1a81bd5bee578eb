#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "max.h"

#include "HostLogRecorder.h"
#include "log.h"
#include "maxapi.h"
#include "merrow/Platform/3dsmax/HLogOutput.h"
#include "orlo/CoreServices/Implementations/ULogChannel.h"

namespace {

using merrow::platform_3dsmax::HLogOutput;

TEST(HLogOutputTest, OneMessageIsOneHostEntryOfTheOutputsType) {
    HostLogRecorder host;
    struct Case {
        DWORD type;
        const char* name;
    };
    for (const Case& c : {Case{SYSLOG_INFO, "info"}, Case{SYSLOG_WARN, "warning"}, Case{SYSLOG_ERROR, "error"}}) {
        HLogOutput output(c.type);
        output.Begin();
        output.Write(orlo::UString("WARNING: "));
        output.Write(orlo::UString("two\r\n"));
        output.Write(orlo::UString("lines"));
        output.Write(orlo::UString("\r\n"));
        output.End();
        ASSERT_EQ(host.Entries().size(), 1u) << c.name;
        EXPECT_EQ(host.Entries()[0].type, c.type) << c.name;
        EXPECT_EQ(host.Entries()[0].text, "WARNING: two\r\nlines") << c.name;
        host.Clear();
    }
}

TEST(HLogOutputTest, TextReachesTheHostUnformatted) {
    HostLogRecorder host;
    HLogOutput output(SYSLOG_ERROR);
    output.Begin();
    output.Write(orlo::UString("100% of %s and %n done\r\n"));
    output.End();
    ASSERT_EQ(host.Entries().size(), 1u);
    EXPECT_EQ(host.Entries()[0].text, "100% of %s and %n done");
}

TEST(HLogOutputTest, AnEmptyMessageMakesNoEntryAndAWriteOutsideAMessageGoesAtOnce) {
    HostLogRecorder host;
    HLogOutput output(SYSLOG_INFO);
    output.Begin();
    output.Write(orlo::UString("\r\n"));
    output.End();
    EXPECT_TRUE(host.Entries().empty());
    output.Write(orlo::UString("loose"));
    ASSERT_EQ(host.Entries().size(), 1u);
    EXPECT_EQ(host.Entries()[0].text, "loose");
}

// A report made when no memory is left: nothing is copied, the text arrives
// whole and unformatted, after what the message had collected.
TEST(HLogOutputTest, AnUncopiedPieceFollowsWhatTheMessageCollected) {
    HostLogRecorder host;
    HLogOutput output(SYSLOG_ERROR);
    output.Begin();
    output.Write(orlo::UString("ERROR: "));
    output.WriteUncopied("out of memory at 100%s");
    output.End();
    ASSERT_EQ(host.Entries().size(), 2u);
    EXPECT_EQ(host.Entries()[0].text, "ERROR: ");
    EXPECT_EQ(host.Entries()[1].text, "out of memory at 100%s");
    EXPECT_EQ(host.Entries()[1].type, DWORD(SYSLOG_ERROR));

    output.Begin();
    output.WriteUncopied("alone");
    output.End();
    ASSERT_EQ(host.Entries().size(), 3u);
    EXPECT_EQ(host.Entries()[2].text, "alone");
}

TEST(HLogOutputTest, AsAChannelOutputEachMessageIsOneEntry) {
    HostLogRecorder host;
    HLogOutput output(SYSLOG_WARN);
    orlo::ULogChannel channel(orlo::ULogChannel::KIND_WARNING);
    ASSERT_EQ(channel.AddOutput(&output), 0);
    for (const char* text : {"first", "second"}) {
        channel.Begin();
        channel.Write(orlo::UString(text));
        channel.End();
    }
    ASSERT_EQ(host.Entries().size(), 2u);
    EXPECT_EQ(host.Entries()[0].text, "WARNING: first");
    EXPECT_EQ(host.Entries()[1].text, "WARNING: second");
}

} // namespace

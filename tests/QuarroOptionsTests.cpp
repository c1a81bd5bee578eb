#include "QuarroOptions.h"

#include <gtest/gtest.h>

#include "orlo/CoreServices/Implementations/ULogChannel.h"
#include "support/RecordingLog.h"

using namespace orlo;

namespace {

struct OptionsCase {
    const char* label;
    const char* options;
    const char* warnings;
};

class OptionHandlers : public testing::TestWithParam<OptionsCase> {};

TEST_P(OptionHandlers, RefuseEveryArgument) {
    for (auto handler : {&ApplyExportOptions, &ApplyImportOptions}) {
        orlo_test::RecordingLog collector;
        ULogChannel warnings(ULogChannel::KIND_WARNING);
        warnings.AddOutput(&collector);
        handler(UCommandLine(UString(GetParam().options)), &warnings);
        EXPECT_EQ(collector.All(), GetParam().warnings);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionHandlers,
    testing::Values(OptionsCase{"ModuleName", "QuarroExporter", ""},
                    OptionsCase{"OneParameter", "QuarroExporter -scale 2",
                                "WARNING: Unknown argument \"scale\". Ignoring argument.\r\n"},
                    OptionsCase{
                        "ThreeInOrder", "QuarroImporter -a -b 1 -c 1 2",
                        "WARNING: Wrong number of parameters for command line argument \"a\". Ignoring argument.\r\n"
                        "WARNING: Unknown argument \"b\". Ignoring argument.\r\n"
                        "WARNING: Wrong number of parameters for command line argument \"c\". Ignoring argument.\r\n"}),
    [](const testing::TestParamInfo<OptionsCase>& info) { return std::string(info.param.label); });

} // namespace

#include "orlo/Utils/UCommandLine.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace orlo;

namespace {

struct Argument {
    std::string name;
    std::vector<std::string> parameters;
    bool operator==(const Argument&) const = default;
};

void PrintTo(const Argument& argument, std::ostream* out) {
    *out << argument.name << "(";
    for (const std::string& parameter : argument.parameters)
        *out << "[" << parameter << "]";
    *out << ")";
}

std::vector<Argument> Arguments(const UCommandLine& commandLine) {
    std::vector<Argument> result;
    for (int32_t i = 0; i < commandLine.GetArgumentCount(); ++i) {
        UCommandArgument argument = commandLine.GetArgument(i);
        Argument copy{argument.GetName().c_str(), {}};
        for (int32_t p = 0; p < argument.GetParameterCount(); ++p)
            copy.parameters.push_back(argument.GetParameter(p).c_str());
        result.push_back(copy);
    }
    return result;
}

struct CommandLineCase {
    const char* label;
    const char* options;
    const char* name;
    std::vector<Argument> arguments;
};

class UCommandLineCases : public testing::TestWithParam<CommandLineCase> {};

TEST_P(UCommandLineCases, CutsNameAndArguments) {
    UCommandLine commandLine{UString(GetParam().options)};
    EXPECT_STREQ(commandLine.GetName().c_str(), GetParam().name);
    EXPECT_EQ(Arguments(commandLine), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UCommandLineCases,
    testing::Values(
        CommandLineCase{"Empty", "", "", {}}, CommandLineCase{"ModuleName", "QuarroImporter", "QuarroImporter", {}},
        CommandLineCase{"NameThenOptions", "-alpha -beta 2", "alpha", {{"beta", {"2"}}}},
        CommandLineCase{"ProgramWithOptions", "prog -a 1 2 -b", "prog", {{"a", {"1", "2"}}, {"b", {}}}},
        // A blank followed by a dash ends an option, so a negative number is an option of its own.
        CommandLineCase{"NegativeParameter", "prog -offset -5", "prog", {{"offset", {}}, {"5", {}}}},
        CommandLineCase{"QuotedParameterWithSpaces", "prog -file \"a b c\" 3", "prog", {{"file", {"\"a b c\"", "3"}}}},
        CommandLineCase{"LoneDashBeforeOption", "prog - -a", "prog", {{"a", {}}}},
        CommandLineCase{"LoneDashAtEnd", "prog -a -", "prog", {{"a", {}}}},
        CommandLineCase{"LoneDashBeforeWord", "prog - word 1", "prog", {{"word", {"1"}}}},
        // Quotes are kept, so an empty quoted parameter is a parameter like any other.
        CommandLineCase{"EmptyQuotedParameter", "prog -a \"\" 1 -b", "prog", {{"a", {"\"\"", "1"}}, {"b", {}}}}),
    [](const testing::TestParamInfo<CommandLineCase>& info) { return std::string(info.param.label); });

TEST(UCommandLine, ArgumentOutsideTheListIsEmpty) {
    UCommandLine commandLine{UString("prog -a 1")};
    for (int32_t index : {1, 7, -1}) {
        UCommandArgument argument = commandLine.GetArgument(index);
        EXPECT_STREQ(argument.GetName().c_str(), "") << index;
        EXPECT_EQ(argument.GetParameterCount(), 0) << index;
    }
}

TEST(UCommandLine, ParseAgainReplacesEverything) {
    UCommandLine commandLine{UString("prog -a 1 -b 2")};
    commandLine.Parse(UString("other"));
    EXPECT_STREQ(commandLine.GetName().c_str(), "other");
    EXPECT_EQ(commandLine.GetArgumentCount(), 0);

    UCommandArgument argument{UString("name p q")};
    argument.Parse(argument.GetName());
    EXPECT_STREQ(argument.GetName().c_str(), "name");
    EXPECT_EQ(argument.GetParameterCount(), 0);
}

} // namespace

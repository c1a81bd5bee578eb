// The bytes as an options string (up to the first zero byte, as the module
// name that carries the options is a C string) through the command-line
// parser, then every argument and parameter read back.

#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "orlo/ErrorDescription.h"
#include "orlo/Utils/UCommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orlo_fuzz::SetUpOnce();
    const orlo::UString options = orlo_fuzz::ToCString(data, size);
    try {
        orlo::UCommandLine commandLine(options);
        if (options.Length() == 0)
            FUZZ_CHECK(commandLine.GetName().Length() == 0 && commandLine.GetArgumentCount() == 0);
        // No token of a command line is longer than the text it came from.
        FUZZ_CHECK(commandLine.GetName().Length() <= options.Length());
        const int32_t count = commandLine.GetArgumentCount();
        for (int32_t i = 0; i < count; ++i) {
            const orlo::UCommandArgument argument = commandLine.GetArgument(i);
            // An option of white space alone makes an argument without a name;
            // an empty parameter ends the list, so none is empty.
            FUZZ_CHECK(argument.GetName().Length() <= options.Length());
            for (int32_t p = 0; p < argument.GetParameterCount(); ++p)
                FUZZ_CHECK(argument.GetParameter(p).Length() > 0);
        }
        const orlo::UCommandArgument beyond = commandLine.GetArgument(count);
        FUZZ_CHECK(beyond.GetName().Length() == 0 && beyond.GetParameterCount() == 0);
        FUZZ_CHECK(commandLine.GetArgument(-1).GetName().Length() == 0);
        // Parsing again gives the same result.
        commandLine.Parse(options);
        FUZZ_CHECK(commandLine.GetArgumentCount() == count);
    } catch (const orlo::ErrorDescription&) {
        // A search that gives up: an error, as it should be.
    }
    return 0;
}

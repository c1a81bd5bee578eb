#include "QuarroOptions.h"

#include "orlo/CoreServices/Implementations/ULogMessage.h"

namespace {

void RefuseArguments(const orlo::UBaseCommandLine<unsigned char>& commandLine, orlo::ILog* warningChannel) {
    for (int32_t index = 0; index < commandLine.GetArgumentCount(); ++index) {
        orlo::UBaseCommandArgument<unsigned char> argument = commandLine.GetArgument(index);
        if (argument.GetParameterCount() != 1) {
            orlo::ULogMessage message(warningChannel, "Wrong number of parameters for command line argument \"");
            message += argument.GetName();
            message += "\". Ignoring argument.";
        } else {
            orlo::ULogMessage message(warningChannel, "Unknown argument \"");
            message += argument.GetName();
            message += "\". Ignoring argument.";
        }
    }
}

} // namespace

void ApplyExportOptions(const orlo::UBaseCommandLine<unsigned char>& commandLine, orlo::ILog* warningChannel) {
    RefuseArguments(commandLine, warningChannel);
}

void ApplyImportOptions(const orlo::UBaseCommandLine<unsigned char>& commandLine, orlo::ILog* warningChannel) {
    RefuseArguments(commandLine, warningChannel);
}

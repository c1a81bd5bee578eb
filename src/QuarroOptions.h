#pragma once

#include "orlo/CoreServices/Interfaces/ILog.h"
#include "orlo/Utils/UCommandLine.h"

// The option handlers of the two translators. Neither translator declares an
// argument: every argument a command line carries is refused with a warning on
// `warningChannel` and changes nothing.

void ApplyExportOptions(const orlo::UBaseCommandLine<unsigned char>& commandLine, orlo::ILog* warningChannel);
void ApplyImportOptions(const orlo::UBaseCommandLine<unsigned char>& commandLine, orlo::ILog* warningChannel);

#pragma once

#include <filesystem>
#include <string>
#include <vector>

// A program run as a user runs it, one process, with what it writes to its
// standard streams kept:
//
//     ChildProcess::Outcome r = ChildProcess::Run({QRO_EXECUTABLE, "check", path});
//     EXPECT_EQ(r.exit, 0) << r.err;
//
// The first argument is the program; one without a folder is looked up on the
// search path. The streams go to stdout.txt and stderr.txt in a scratch
// folder (a folder of its own, removed afterwards, unless the caller names
// one to keep them in); the console's CR LF line ends of the Windows build
// read as "\n", so that one expectation serves both targets.
class ChildProcess {
public:
    struct Options {
        std::filesystem::path folder; // where the streams are kept; empty: a scratch folder
        int seconds = 0;              // time limit; 0: none
        // Address-space limit in bytes (0: none), so that a process that asks
        // for more memory than the machine has fails instead of swapping. Not
        // applied in the Windows build.
        unsigned long long memoryLimit = 0;
    };

    struct Outcome {
        int exit = -1; // exit status; -1: not started, ended by a signal or past the time limit
        bool timedOut = false;
        int signal = 0; // the signal that ended it (not in the Windows build)
        std::string out;
        std::string err;
    };

    static Outcome Run(const std::vector<std::string>& arguments, const Options& options);
    static Outcome Run(const std::vector<std::string>& arguments) { return Run(arguments, Options()); }
    // Whether a program of this name is on the search path.
    static bool IsOnPath(const std::string& program);
    // The bytes of a file, such as one the program wrote; empty when there is none.
    static std::string ReadAll(const std::filesystem::path& path);
};

#pragma once

#include <string>
#include <vector>

// Runs a program as a user would and collects what it answers. The program
// is looked up on the search path when its name has no folder.
class QroProcess {
public:
    struct Outcome {
        int exit = -1; // -1: could not be started, or did not end normally
        std::string out;
        std::string err;
    };

    static Outcome Run(const std::vector<std::string>& arguments);
    // Whether a program of this name is on the search path.
    static bool IsOnPath(const std::string& program);
};

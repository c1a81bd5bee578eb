#pragma once
#include <string>
#include <vector>

// One step of a host session, as given on the command line.
struct HostAction {
    enum Kind { Demo, Load, Plugin, Import, Export, Select, Time, Dump, Times };

    Kind kind = Demo;
    std::vector<std::string> args;
    bool selectedOnly = false;
    int time = 0;
};

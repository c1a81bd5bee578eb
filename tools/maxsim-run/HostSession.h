#pragma once
#include "HostAction.h"
#include "PluginLibrary.h"
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class ClassDesc;

// A host session: runs actions in order against the one scene, loads
// plug-in modules through their entry points as the host does, and at its
// end broadcasts system shutdown and unloads them.
class HostSession {
public:
    HostSession(std::ostream& out, std::ostream& err);
    ~HostSession();

    // False, with the reason, for a command line that is not a session.
    static bool Parse(const std::vector<std::string>& words, std::vector<HostAction>& actions, std::string& error);
    static const char* Usage();
    // The module that imports and exports load when no "plugin" names one.
    static const char* const DEFAULT_PLUGIN;

    // 0 when every action succeeded. An import or export that answers 0
    // makes it 1 and the session goes on; an action that cannot be carried
    // out makes it 1 and ends the session; a broken host rule makes it
    // kBrokenHostRule and ends the session.
    int Run(const std::vector<HostAction>& actions);
    // Broadcasts shutdown, empties the scene and unloads the modules.
    void End();
    // False when deleting the scene at the end found a broken host rule.
    bool RulesKeptToTheEnd() const { return m_rulesKeptToTheEnd; }

    static const int kBrokenHostRule = 3;

private:
    struct Module {
        std::unique_ptr<PluginLibrary> library;
        std::vector<ClassDesc*> classes;
    };

    bool LoadPlugin(const std::string& path);
    bool LoadModel(const std::string& path);
    bool Import(const std::string& file, int& status);
    bool Export(const std::string& file, bool selectedOnly, int& status);
    bool Select(const std::vector<std::string>& names);
    bool Dump(const std::string& where);
    ClassDesc* FindClass(unsigned long superClassID);
    bool Fail(const std::string& message);
    // Checks the host's rules after an action and reports every break.
    bool HostRulesKept(const char* action);

    std::ostream& m_out;
    std::ostream& m_err;
    std::vector<Module> m_modules;
    bool m_ended;
    bool m_rulesKeptToTheEnd = true;
};

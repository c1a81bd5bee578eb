#include "HostSession.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "DemoScene.h"
#include "HostInterface.h"
#include "HostRules.h"
#include "ModelLoader.h"
#include "ProcessUsage.h"
#include "SceneDump.h"
#include "max.h"

namespace {
typedef ULONG (*LibVersionProc)();
typedef int (*LibNumberClassesProc)();
typedef ClassDesc* (*LibClassDescProc)(int);
typedef const TCHAR* (*LibDescriptionProc)();

// The words that start an action, one for each kind, and what follows them.
struct ActionWord {
    enum Arguments { None, One, Names };
    const char* word;
    HostAction::Kind kind;
    Arguments arguments;
};

const ActionWord kActionWords[] = {
    {"demo", HostAction::Demo, ActionWord::None},    {"load", HostAction::Load, ActionWord::One},
    {"plugin", HostAction::Plugin, ActionWord::One}, {"import", HostAction::Import, ActionWord::One},
    {"export", HostAction::Export, ActionWord::One}, {"select", HostAction::Select, ActionWord::Names},
    {"time", HostAction::Time, ActionWord::One},     {"dump", HostAction::Dump, ActionWord::One},
    {"times", HostAction::Times, ActionWord::None},
};

const ActionWord* FindAction(const std::string& w) {
    for (const ActionWord& action : kActionWords)
        if (w == action.word)
            return &action;
    return nullptr;
}

const char* ActionName(HostAction::Kind kind) {
    for (const ActionWord& action : kActionWords)
        if (action.kind == kind)
            return action.word;
    return "?";
}

// What an importer gets besides the core interface.
class SessionImpInterface : public ImpInterface {
public:
    void RedrawViews() override {
        GetCOREInterface()->RedrawViews(GetCOREInterface()->GetTime(), REDRAW_NORMAL, nullptr);
    }
    TimeValue GetTime() override { return GetCOREInterface()->GetTime(); }
    void SetTime(TimeValue t) override { GetCOREInterface()->SetTime(t, TRUE); }
};

std::string Hex(unsigned long v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08lX", v);
    return buf;
}
} // namespace

HostSession::HostSession(std::ostream& out, std::ostream& err) : m_out(out), m_err(err), m_ended(false) {}

HostSession::~HostSession() {
    End();
}

const char* const HostSession::DEFAULT_PLUGIN = "quarro.dle";

const char* HostSession::Usage() {
    return "usage: maxsim-run ACTION...\n"
           "  demo                     build the demo scene\n"
           "  load FILE                add the scene of a model file (any format Assimp reads)\n"
           "  plugin PATH              load a plug-in module (without one, imports and exports\n"
           "                           use quarro.dle beside maxsim-run)\n"
           "  import FILE              import FILE with the loaded importer\n"
           "  export FILE [--selected] export to FILE with the loaded exporter\n"
           "  select NAME...           select exactly these nodes\n"
           "  time T                   set the current time (ticks)\n"
           "  dump PATH|-              write the scene as JSON\n"
           "  times                    report the CPU and wall time of each later action, and the\n"
           "                           process's peak memory so far\n"
           "A plug-in that breaks one of the host's rules (changing what the pipeline shares or\n"
           "what EvalWorldState handed out) ends the session with the rule named and status 3.\n";
}

bool HostSession::Parse(const std::vector<std::string>& words, std::vector<HostAction>& actions, std::string& error) {
    actions.clear();
    size_t i = 0;
    while (i < words.size()) {
        const std::string word = words[i++];
        const ActionWord* found = FindAction(word);
        if (found == nullptr) {
            error = "unknown action \"" + word + "\"";
            return false;
        }
        HostAction action;
        action.kind = found->kind;
        if (found->arguments == ActionWord::One) {
            if (i >= words.size()) {
                error = "\"" + word + "\" needs an argument";
                return false;
            }
            action.args.push_back(words[i++]);
        } else if (found->arguments == ActionWord::Names) {
            while (i < words.size() && FindAction(words[i]) == nullptr)
                action.args.push_back(words[i++]);
        }
        if (action.kind == HostAction::Export && i < words.size() && words[i] == "--selected") {
            action.selectedOnly = true;
            ++i;
        } else if (action.kind == HostAction::Time) {
            const std::string& value = action.args[0];
            char* end = nullptr;
            errno = 0;
            const long t = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end || errno == ERANGE || t < -2147483647L || t > 2147483647L) {
                error = "\"time\" needs a whole number of ticks, not \"" + value + "\"";
                return false;
            }
            action.time = int(t);
        }
        actions.push_back(action);
    }
    if (actions.empty()) {
        error = "no action given";
        return false;
    }
    // Imports and exports use the product module beside the program unless
    // the session names a module of its own.
    bool namesModule = false, translates = false;
    for (const HostAction& action : actions) {
        namesModule = namesModule || action.kind == HostAction::Plugin;
        translates = translates || action.kind == HostAction::Import || action.kind == HostAction::Export;
    }
    if (translates && !namesModule) {
        HostAction plugin;
        plugin.kind = HostAction::Plugin;
        plugin.args.push_back(PluginLibrary::BesideProgram(DEFAULT_PLUGIN));
        actions.insert(actions.begin(), plugin);
    }
    return true;
}

int HostSession::Run(const std::vector<HostAction>& actions) {
    maxsim::HostInterface& host = maxsim::HostInterface::Instance();
    int status = 0;
    bool timed = false;
    for (const HostAction& action : actions) {
        bool ok = true;
        const double cpuBefore = ProcessCpuSeconds();
        const auto wallBefore = std::chrono::steady_clock::now();
        switch (action.kind) {
        case HostAction::Demo:
            maxsim::DemoScene::Build(host);
            break;
        case HostAction::Load:
            ok = LoadModel(action.args[0]);
            break;
        case HostAction::Plugin:
            ok = LoadPlugin(action.args[0]);
            break;
        case HostAction::Import:
            ok = Import(action.args[0], status);
            break;
        case HostAction::Export:
            ok = Export(action.args[0], action.selectedOnly, status);
            break;
        case HostAction::Select:
            ok = Select(action.args);
            break;
        case HostAction::Time:
            host.SetTime(action.time, TRUE);
            break;
        case HostAction::Dump:
            ok = Dump(action.args[0]);
            break;
        case HostAction::Times:
            timed = true;
            continue;
        }
        if (timed) {
            const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wallBefore;
            // Under wine (seen under the emulator) the process's CPU time can
            // read a little lower than just before: a short action then took
            // none, not a negative time.
            const double cpu = std::max(0.0, ProcessCpuSeconds() - cpuBefore);
            char line[160];
            snprintf(line, sizeof(line), " took %.3f s CPU, %.3f s wall; peak %.1f MiB so far\n", cpu, wall.count(),
                     double(ProcessPeakMemoryBytes()) / 1048576.0);
            m_err << "maxsim-run: " << ActionName(action.kind) << line;
        }
        if (!ok)
            return 1;
        if (!HostRulesKept(ActionName(action.kind)))
            return kBrokenHostRule;
    }
    return status;
}

// What the plug-in did in the action is checked before the next one.
bool HostSession::HostRulesKept(const char* action) {
    maxsim::HostRules& rules = maxsim::HostRules::Instance();
    rules.Check();
    const std::vector<std::string> breaks = rules.TakeBreaks();
    for (const std::string& rule : breaks)
        m_err << "maxsim-run: " << action << ": host rule broken: " << rule << "\n";
    return breaks.empty();
}

bool HostSession::Fail(const std::string& message) {
    m_err << "maxsim-run: " << message << "\n";
    return false;
}

// A module that fails a check stays loaded, without classes, until the end
// of the session: its entry points may already have registered callbacks
// with the host, which must not point into unloaded code.
bool HostSession::LoadPlugin(const std::string& path) {
    Module module;
    module.library = std::make_unique<PluginLibrary>();
    std::string error;
    if (!module.library->Load(path, error))
        return Fail(error);
    const PluginLibrary& library = *module.library;
    m_modules.push_back(std::move(module));
    auto version = reinterpret_cast<LibVersionProc>(library.Symbol("LibVersion"));
    auto count = reinterpret_cast<LibNumberClassesProc>(library.Symbol("LibNumberClasses"));
    auto classDesc = reinterpret_cast<LibClassDescProc>(library.Symbol("LibClassDesc"));
    auto description = reinterpret_cast<LibDescriptionProc>(library.Symbol("LibDescription"));
    if (!version || !count || !classDesc || !description)
        return Fail("\"" + path + "\" is not a plug-in module: an entry point is missing");
    const ULONG v = version();
    if (v != ULONG(VERSION_3DSMAX))
        return Fail("\"" + path + "\" was built for SDK version " + Hex(v) + ", this host is " + Hex(VERSION_3DSMAX));
    const char* text = description();
    m_err << "maxsim-run: loaded \"" << path << "\": " << (text ? text : "") << "\n";
    const int n = count();
    std::vector<ClassDesc*> classes;
    for (int i = 0; i < n; ++i)
        if (ClassDesc* desc = classDesc(i))
            classes.push_back(desc);
    m_modules.back().classes = classes;
    return true;
}

bool HostSession::LoadModel(const std::string& path) {
    maxsim::ModelLoader::Result r;
    std::string error;
    if (!maxsim::ModelLoader::Load(maxsim::HostInterface::Instance(), path, r, error))
        return Fail(error);
    m_err << "maxsim-run: added \"" << path << "\": " << r.nodes << " nodes, " << r.meshNodes << " meshes ("
          << r.fileMeshes << " of the file), " << r.polygons << " polygons, " << r.vertices << " vertices, " << r.skins
          << " skins, " << r.bones << " bones, " << r.weights << " weights, " << r.materials << " materials\n";
    return true;
}

// The most recently loaded module that offers the class wins.
ClassDesc* HostSession::FindClass(unsigned long superClassID) {
    for (auto m = m_modules.rbegin(); m != m_modules.rend(); ++m)
        for (ClassDesc* desc : m->classes)
            if (desc->SuperClassID() == superClassID)
                return desc;
    return nullptr;
}

bool HostSession::Import(const std::string& file, int& status) {
    ClassDesc* desc = FindClass(SCENE_IMPORT_CLASS_ID);
    if (!desc)
        return Fail("no loaded module offers a scene importer");
    SceneImport* importer = static_cast<SceneImport*>(desc->Create(FALSE));
    if (!importer)
        return Fail("the importer class did not create an importer");
    SessionImpInterface ii;
    const int answer = importer->DoImport(file.c_str(), &ii, GetCOREInterface(), TRUE);
    delete importer;
    if (!answer) {
        m_err << "maxsim-run: the import of \"" << file << "\" failed\n";
        status = 1;
    }
    return true;
}

bool HostSession::Export(const std::string& file, bool selectedOnly, int& status) {
    ClassDesc* desc = FindClass(SCENE_EXPORT_CLASS_ID);
    if (!desc)
        return Fail("no loaded module offers a scene exporter");
    SceneExport* exporter = static_cast<SceneExport*>(desc->Create(FALSE));
    if (!exporter)
        return Fail("the exporter class did not create an exporter");
    // As the host does, the selection is offered only to an exporter that
    // supports it.
    if (selectedOnly && !exporter->SupportsOptions(0, SCENE_EXPORT_SELECTED)) {
        delete exporter;
        return Fail("the exporter cannot export the selection only");
    }
    ExpInterface ei;
    const int answer =
        exporter->DoExport(file.c_str(), &ei, GetCOREInterface(), TRUE, selectedOnly ? SCENE_EXPORT_SELECTED : 0);
    delete exporter;
    if (!answer) {
        m_err << "maxsim-run: the export to \"" << file << "\" failed\n";
        status = 1;
    }
    return true;
}

bool HostSession::Select(const std::vector<std::string>& names) {
    Interface* ip = GetCOREInterface();
    std::vector<INode*> nodes;
    for (const std::string& name : names) {
        INode* node = ip->GetINodeByName(name.c_str());
        if (!node)
            return Fail("no node is named \"" + name + "\"");
        nodes.push_back(node);
    }
    ip->ClearNodeSelection(FALSE);
    for (INode* node : nodes)
        ip->SelectNode(node, FALSE);
    return true;
}

bool HostSession::Dump(const std::string& where) {
    const std::string text = maxsim::SceneDump::ToText(maxsim::HostInterface::Instance()) + "\n";
    if (where == "-") {
        m_out << text;
        m_out.flush();
        return bool(m_out) || Fail("cannot write the dump to standard output");
    }
    std::ofstream file(where, std::ios::binary | std::ios::trunc);
    if (file)
        file << text;
    if (!file || !file.flush())
        return Fail("cannot write \"" + where + "\"");
    return true;
}

// Modules hear of the shutdown while the scene still stands; the scene goes
// before the modules, since their objects may be part of it.
void HostSession::End() {
    if (m_ended)
        return;
    m_ended = true;
    BroadcastNotification(NOTIFY_SYSTEM_SHUTDOWN);
    maxsim::HostInterface::Instance().Reset();
    m_rulesKeptToTheEnd = HostRulesKept("end of session");
    while (!m_modules.empty()) {
        m_modules.back().library->Unload();
        m_modules.pop_back();
    }
}

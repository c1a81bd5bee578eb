// A small plug-in module for testing the host's loading protocol: three
// classes (a utility first, so that translators must be found by their
// superclass), an exporter that writes node names and an importer that
// builds boxes from a list.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "max.h"

#if defined(_WIN32)
#define TEST_ENTRY extern "C" __declspec(dllexport)
#else
#define TEST_ENTRY extern "C" __attribute__((visibility("default")))
#endif

#ifndef TEST_MODULE_VERSION
#define TEST_MODULE_VERSION VERSION_3DSMAX
#endif

namespace {
const char* kExtension = "tst";
bool g_registered = false;

void Log(DWORD type, const std::string& text) {
    // The host formats its log text printf-style: text goes in as an
    // argument, never as the format.
    TCHAR format[] = "%s";
    GetCOREInterface()->Log()->LogEntry(type, NO_DIALOG, nullptr, format, text.c_str());
}

void OnShutdown(void*, NotifyInfo*) {
    UnRegisterNotification(OnShutdown, nullptr, NOTIFY_SYSTEM_SHUTDOWN);
    g_registered = false;
    Log(SYSLOG_INFO, "test module: shutdown");
}

void EnsureRegistered() {
    if (!g_registered)
        g_registered = RegisterNotification(OnShutdown, nullptr, NOTIFY_SYSTEM_SHUTDOWN) != 0;
}

void CollectNodes(INode* node, std::vector<INode*>& out) {
    for (int i = 0; i < node->NumberOfChildren(); ++i) {
        out.push_back(node->GetChildNode(i));
        CollectNodes(node->GetChildNode(i), out);
    }
}

class TestExporter : public SceneExport {
public:
    int ExtCount() override { return 1; }
    const TCHAR* Ext(int) override { return kExtension; }
    const TCHAR* LongDesc() override { return "Test exporter"; }
    const TCHAR* ShortDesc() override { return "Test"; }
    const TCHAR* AuthorName() override { return ""; }
    const TCHAR* CopyrightMessage() override { return ""; }
    const TCHAR* OtherMessage1() override { return ""; }
    const TCHAR* OtherMessage2() override { return ""; }
    unsigned int Version() override { return 1; }
    void ShowAbout(HWND) override {}
    BOOL SupportsOptions(int ext, DWORD options) override { return ext == 0 && options == SCENE_EXPORT_SELECTED; }

    // One line per node that is exported, then the options word.
    int DoExport(const TCHAR* name, ExpInterface*, Interface* ip, BOOL, DWORD options) override {
        std::FILE* f = std::fopen(name, "wb");
        if (!f) {
            Log(SYSLOG_ERROR, std::string("test exporter: cannot write ") + name);
            return 0;
        }
        std::vector<INode*> nodes;
        CollectNodes(ip->GetRootNode(), nodes);
        int written = 0;
        for (INode* node : nodes) {
            if ((options & SCENE_EXPORT_SELECTED) && !node->Selected())
                continue;
            std::fprintf(f, "node %s\n", node->GetName());
            ++written;
        }
        std::fprintf(f, "options %lu\n", static_cast<unsigned long>(options));
        std::fclose(f);
        // A careless exporter, for the host's checks: it moves a point of
        // every poly object the host hands out, and tells nobody.
        const std::string file(name);
        const std::string careless = "careless.tst";
        if (file.size() >= careless.size() &&
            file.compare(file.size() - careless.size(), careless.size(), careless) == 0)
            for (INode* node : nodes)
                if (Object* object = node->EvalWorldState(ip->GetTime()).obj;
                    object && object->ClassID() == Class_ID(POLYOBJ_CLASS_ID, 0) &&
                    static_cast<PolyObject*>(object)->mm.numv > 0)
                    static_cast<PolyObject*>(object)->mm.v[0].p.z += 1.0f;
        Log(SYSLOG_INFO, "test exporter: 100% of " + std::to_string(written) + " nodes written");
        return 1;
    }
};

class TestImporter : public SceneImport {
public:
    int ExtCount() override { return 1; }
    const TCHAR* Ext(int) override { return kExtension; }
    const TCHAR* LongDesc() override { return "Test importer"; }
    const TCHAR* ShortDesc() override { return "Test"; }
    const TCHAR* AuthorName() override { return ""; }
    const TCHAR* CopyrightMessage() override { return ""; }
    const TCHAR* OtherMessage1() override { return ""; }
    const TCHAR* OtherMessage2() override { return ""; }
    unsigned int Version() override { return 1; }
    void ShowAbout(HWND) override {}

    // Lines "box NAME X Y Z". The whole file is read before anything is
    // built, so a rejected file builds nothing.
    int DoImport(const TCHAR* name, ImpInterface*, Interface* ip, BOOL) override {
        std::FILE* f = std::fopen(name, "rb");
        if (!f) {
            Log(SYSLOG_ERROR, std::string("test importer: cannot read ") + name);
            return 0;
        }
        struct Box {
            std::string name;
            float x, y, z;
        };
        std::vector<Box> boxes;
        char line[256];
        bool ok = true;
        while (ok && std::fgets(line, sizeof line, f)) {
            char boxName[128];
            Box box;
            if (std::sscanf(line, "box %127s %f %f %f", boxName, &box.x, &box.y, &box.z) == 4) {
                box.name = boxName;
                boxes.push_back(box);
            } else
                ok = line[0] == '\n' || line[0] == '\r';
        }
        std::fclose(f);
        if (!ok) {
            Log(SYSLOG_WARN, "test importer: not a box list");
            return 0;
        }
        for (const Box& box : boxes)
            Build(ip, box.name, Point3(box.x, box.y, box.z));
        return 1;
    }

private:
    static void Build(Interface* ip, const std::string& name, const Point3& at) {
        PolyObject* poly = static_cast<PolyObject*>(
            static_cast<Object*>(ip->CreateInstance(GEOMOBJECT_CLASS_ID, Class_ID(POLYOBJ_CLASS_ID, 0))));
        MNMesh& mm = poly->mm;
        for (int i = 0; i < 8; ++i) {
            Point3 p((i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 1.0f : -1.0f);
            mm.NewVert(p);
        }
        int sides[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        mm.FAlloc(6);
        mm.VEdgeAlloc();
        mm.VFaceAlloc();
        for (auto& side : sides)
            mm.CreateFace(4, side);
        mm.FillInMesh();
        INode* node = ip->CreateObjectNode(poly);
        std::vector<char> text(name.begin(), name.end());
        text.push_back(0);
        node->SetName(text.data());
        Matrix3 tm(TRUE);
        tm.SetTrans(at);
        node->SetNodeTM(ip->GetTime(), tm);
    }
};

template <class T>
class TestClassDesc : public ClassDesc {
public:
    TestClassDesc(SClass_ID superClassID, ULONG id, const char* name)
        : m_superClassID(superClassID), m_id(id), m_name(name) {}
    int IsPublic() override { return 1; }
    void* Create(BOOL) override { return new T; }
    const TCHAR* ClassName() override { return m_name; }
    SClass_ID SuperClassID() override { return m_superClassID; }
    Class_ID ClassID() override { return Class_ID(0x51ab7e20, m_id); }
    const TCHAR* Category() override { return "Test"; }

private:
    SClass_ID m_superClassID;
    ULONG m_id;
    const char* m_name;
};

// A class the host has no use for; it creates nothing.
class TestUtilityDesc : public ClassDesc {
public:
    int IsPublic() override { return 0; }
    void* Create(BOOL) override { return nullptr; }
    const TCHAR* ClassName() override { return "Test utility"; }
    SClass_ID SuperClassID() override { return UTILITY_CLASS_ID; }
    Class_ID ClassID() override { return Class_ID(0x51ab7e20, 1); }
    const TCHAR* Category() override { return "Test"; }
};

TestUtilityDesc g_utility;
TestClassDesc<TestImporter> g_importer(SCENE_IMPORT_CLASS_ID, 2, "Test importer");
TestClassDesc<TestExporter> g_exporter(SCENE_EXPORT_CLASS_ID, 3, "Test exporter");
ClassDesc* const g_classes[] = {&g_utility, &g_importer, &g_exporter};
} // namespace

TEST_ENTRY const TCHAR* LibDescription() {
    EnsureRegistered();
    return "Test translators";
}

TEST_ENTRY int LibNumberClasses() {
    EnsureRegistered();
    return 3;
}

TEST_ENTRY ClassDesc* LibClassDesc(int i) {
    EnsureRegistered();
    return i >= 0 && i < 3 ? g_classes[i] : nullptr;
}

TEST_ENTRY ULONG LibVersion() {
    EnsureRegistered();
    return TEST_MODULE_VERSION;
}

TEST_ENTRY ULONG CanAutoDefer() {
    return 0;
}

#include "HostInterface.h"

#include "HostRules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "max.h"

#include "DerivedObject.h"
#include "MultiSubMaterial.h"
#include "PrimitiveObject.h"
#include "SceneNode.h"
#include "SkinModifier.h"
#include "StandardMaterial.h"
#include "iparamb2.h"
#include "iskin.h"
#include "istdplug.h"
#include "maxapi.h"
#include "polyobj.h"
#include "triobj.h"

namespace maxsim {
namespace {
PrimitiveObject* MakeBox(SClass_ID sid, Class_ID cid, const char* name, float size) {
    PrimitiveObject* p = new PrimitiveObject(sid, cid, name);
    p->SetBox(Point3(-size, -size, -size), Point3(size, size, size));
    p->AddConversion(Class_ID(POLYOBJ_CLASS_ID, 0));
    return p;
}

// The single-material classes that the scene may hold besides the
// multi/sub-object material.
bool IsSingleMaterialClass(const Class_ID& cid) {
    static const ULONG known[] = {DMTL_CLASS_ID, 0x3, 0x100, 0x210, 0x250};
    for (ULONG a : known)
        if (cid == Class_ID(a, 0))
            return true;
    return false;
}
} // namespace

void HostInterface::Allocating(const char* operation) {
    if (m_outOfMemoryIn != operation)
        return;
    m_outOfMemoryIn.clear();
    throw std::bad_alloc();
}

HostInterface& HostInterface::Instance() {
    static HostInterface host;
    return host;
}

HostInterface::HostInterface()
    : m_root(nullptr), m_sceneMtls(new MtlBaseLib), m_time(0), m_nextHandle(1), m_redraws(0), m_customControlsInits(0),
      m_customControlsInstance(nullptr) {
    m_root = new SceneNode(*this, 0, true);
    TCHAR rootName[] = "Scene Root";
    m_root->SetName(rootName);
}

HostInterface::~HostInterface() {
    Reset();
    delete m_root;
    delete m_sceneMtls;
}

TimeValue HostInterface::GetTime() {
    return m_time;
}

void HostInterface::SetTime(TimeValue t, BOOL) {
    if (t == m_time)
        return;
    m_time = t;
    const std::vector<TimeChangeCallback*> callbacks = m_timeCallbacks;
    for (TimeChangeCallback* tc : callbacks)
        if (std::find(m_timeCallbacks.begin(), m_timeCallbacks.end(), tc) != m_timeCallbacks.end())
            tc->TimeChanged(t);
}

void HostInterface::RegisterTimeChangeCallback(TimeChangeCallback* tc) {
    if (tc && std::find(m_timeCallbacks.begin(), m_timeCallbacks.end(), tc) == m_timeCallbacks.end())
        m_timeCallbacks.push_back(tc);
}

void HostInterface::UnRegisterTimeChangeCallback(TimeChangeCallback* tc) {
    m_timeCallbacks.erase(std::remove(m_timeCallbacks.begin(), m_timeCallbacks.end(), tc), m_timeCallbacks.end());
}

INode* HostInterface::GetRootNode() {
    return m_root;
}

INode* HostInterface::GetINodeByName(const TCHAR* name) {
    if (!name)
        return nullptr;
    for (INode* n : AllNodes())
        if (std::strcmp(n->GetName(), name) == 0)
            return n;
    return nullptr;
}

INode* HostInterface::GetINodeByHandle(ULONG handle) {
    if (handle == m_root->GetHandle())
        return m_root;
    for (INode* n : AllNodes())
        if (n->GetHandle() == handle)
            return n;
    return nullptr;
}

std::string HostInterface::DefaultNodeName(Object* obj) {
    TSTR className;
    obj->GetClassName(className);
    std::string base;
    for (const char* c = className.data(); *c; ++c)
        if (*c != ' ' && *c != '/')
            base += *c;
    if (base.empty())
        base = "Object";
    char number[16];
    std::snprintf(number, sizeof number, "%03d", ++m_nameCounters[base]);
    return base + number;
}

INode* HostInterface::CreateObjectNode(Object* obj) {
    if (!obj)
        return nullptr;
    const std::string name = DefaultNodeName(obj);
    return CreateObjectNode(obj, name.c_str());
}

INode* HostInterface::CreateObjectNode(Object* obj, const TCHAR* name) {
    if (!obj)
        return nullptr;
    SceneNode* node = new SceneNode(*this, m_nextHandle++, false);
    std::string text(name ? name : "");
    node->SetName(&text[0]);
    m_root->AttachChild(node, TRUE);
    node->SetObjectRef(obj);
    return node;
}

void HostInterface::DeleteNode(INode* node, BOOL, BOOL) {
    SceneNode* n = dynamic_cast<SceneNode*>(node);
    if (!n || n == m_root)
        return;
    SceneNode* parent = static_cast<SceneNode*>(n->GetParentNode());
    while (n->NumberOfChildren() > 0)
        (parent ? parent : m_root)->AttachChild(n->GetChildNode(0), TRUE);
    n->SetSelectedFlag(false);
    if (parent)
        parent->RemoveChild(n);
    n->DeleteAllRefs();
    n->DeleteThis();
}

void* HostInterface::CreateInstance(SClass_ID superID, Class_ID classID) {
    switch (superID) {
    case GEOMOBJECT_CLASS_ID:
        if (classID == Class_ID(POLYOBJ_CLASS_ID, 0))
            return static_cast<Object*>(new PolyObject);
        if (classID == Class_ID(TRIOBJ_CLASS_ID, 0))
            return static_cast<Object*>(new TriObject);
        if (classID == BONE_OBJ_CLASSID) {
            PrimitiveObject* bone = new PrimitiveObject(superID, classID, "Bone");
            bone->SetLength(10.0f);
            bone->AddConversion(Class_ID(POLYOBJ_CLASS_ID, 0));
            return static_cast<Object*>(bone);
        }
        if (classID == Class_ID(0x9125, 0))
            return static_cast<Object*>(MakeBox(superID, classID, "Biped Object", 1.0f));
        if (classID == Class_ID(0x3011, 0))
            return static_cast<Object*>(MakeBox(superID, classID, "Object", 1.0f));
        return nullptr;
    case SHAPE_CLASS_ID:
        if (classID == Class_ID(SPLINESHAPE_CLASS_ID, 0)) {
            PrimitiveObject* shape = new PrimitiveObject(superID, classID, "Line");
            shape->SetOutline({Point3(0.0f, 0.0f, 0.0f), Point3(10.0f, 0.0f, 0.0f), Point3(10.0f, 10.0f, 0.0f),
                               Point3(0.0f, 10.0f, 0.0f)});
            shape->AddConversion(Class_ID(POLYOBJ_CLASS_ID, 0));
            return static_cast<Object*>(shape);
        }
        return nullptr;
    case CAMERA_CLASS_ID:
        if (classID == Class_ID(SIMPLE_CAM_CLASS_ID, 0))
            return static_cast<Object*>(new PrimitiveObject(superID, classID, "Camera"));
        return nullptr;
    case LIGHT_CLASS_ID:
        if (classID == Class_ID(OMNI_LIGHT_CLASS_ID, 0))
            return static_cast<Object*>(new PrimitiveObject(superID, classID, "Omni"));
        return nullptr;
    case HELPER_CLASS_ID:
        if (classID == Class_ID(DUMMY_CLASS_ID, 0))
            return static_cast<Object*>(new PrimitiveObject(superID, classID, "Dummy"));
        if (classID == Class_ID(BONE_CLASS_ID, 0))
            return static_cast<Object*>(new PrimitiveObject(superID, classID, "Bone Helper"));
        return nullptr;
    case OSM_CLASS_ID:
        if (classID == SKIN_CLASSID)
            return static_cast<Modifier*>(new SkinModifier);
        return nullptr;
    case MATERIAL_CLASS_ID: {
        char name[32];
        if (classID == Class_ID(MULTI_CLASS_ID, 0)) {
            MultiSubMaterial* multi = new MultiSubMaterial;
            std::snprintf(name, sizeof name, "Multimaterial #%d", ++m_nameCounters["#multi"]);
            multi->SetName(name);
            return static_cast<Mtl*>(multi);
        }
        if (!IsSingleMaterialClass(classID))
            return nullptr;
        StandardMaterial* mtl = new StandardMaterial(classID);
        std::snprintf(name, sizeof name, "Material #%d", ++m_nameCounters["#material"]);
        mtl->SetName(name);
        return static_cast<Mtl*>(mtl);
    }
    default:
        return nullptr;
    }
}

MtlBaseLib* HostInterface::GetSceneMtls() {
    return m_sceneMtls;
}

void HostInterface::AddSceneMaterial(MtlBase* m) {
    if (m && m_sceneMtls->FindMtl(m) < 0)
        m_sceneMtls->Add(m);
}

void HostInterface::SelectNode(INode* node, int clearSel) {
    if (clearSel)
        ClearNodeSelection(FALSE);
    if (SceneNode* n = dynamic_cast<SceneNode*>(node))
        if (n != m_root)
            n->SetSelectedFlag(true);
}

void HostInterface::DeSelectNode(INode* node) {
    if (SceneNode* n = dynamic_cast<SceneNode*>(node))
        n->SetSelectedFlag(false);
}

void HostInterface::ClearNodeSelection(BOOL) {
    for (INode* n : AllNodes())
        static_cast<SceneNode*>(n)->SetSelectedFlag(false);
}

int HostInterface::GetSelNodeCount() {
    int count = 0;
    for (INode* n : AllNodes())
        count += n->Selected() ? 1 : 0;
    return count;
}

INode* HostInterface::GetSelNode(int i) {
    for (INode* n : AllNodes())
        if (n->Selected() && i-- == 0)
            return n;
    return nullptr;
}

void HostInterface::RedrawViews(TimeValue, DWORD, ReferenceTarget*) {
    ++m_redraws;
}
HWND HostInterface::GetMAXHWnd() {
    return nullptr;
}

BOOL HostInterface::ProgressStart(TCHAR* title, BOOL dispBar, LPTHREAD_START_ROUTINE fn, LPVOID) {
    m_progress.push_back(ProgressRecord{title ? title : "", dispBar, fn != nullptr, false});
    return TRUE;
}

void HostInterface::ProgressUpdate(int, BOOL, TCHAR*) {}

void HostInterface::ProgressEnd() {
    for (auto it = m_progress.rbegin(); it != m_progress.rend(); ++it)
        if (!it->ended) {
            it->ended = true;
            return;
        }
}

BOOL HostInterface::GetCancel() {
    return FALSE;
}
LogSys* HostInterface::Log() {
    return &m_log;
}

void HostInterface::MakeNameUnique(TSTR& name) {
    std::string text(name.data() ? name.data() : "");
    if (!text.empty() && !GetINodeByName(text.c_str()))
        return;
    size_t end = text.size();
    while (end > 0 && text[end - 1] >= '0' && text[end - 1] <= '9')
        --end;
    const std::string root = text.substr(0, end);
    // Gaps in the numbers are not filled: the next number follows the highest.
    unsigned long highest = 0;
    for (INode* n : AllNodes()) {
        const char* other = n->GetName();
        if (std::strncmp(other, root.c_str(), root.size()) != 0)
            continue;
        const char* digits = other + root.size();
        if (!*digits || std::strspn(digits, "0123456789") != std::strlen(digits) || std::strlen(digits) > 9)
            continue;
        highest = std::max(highest, std::strtoul(digits, nullptr, 10));
    }
    char number[16];
    std::snprintf(number, sizeof number, "%03lu", highest + 1);
    name = TSTR((root + number).c_str());
}

void HostInterface::InvalidateObCache(INode* node) {
    m_obCacheInvalidations.push_back(node);
    if (!node)
        return;
    if (DerivedObject* derived = dynamic_cast<DerivedObject*>(node->GetObjectRef()))
        derived->InvalidateCache();
}

int HostInterface::RegisterNotification(NOTIFYPROC proc, void* param, int code) {
    if (!proc || m_refusingNotifications)
        return 0;
    for (const Registration& r : m_notifications)
        if (r.proc == proc && r.param == param && r.code == code)
            return 0;
    m_notifications.push_back(Registration{proc, param, code});
    return 1;
}

int HostInterface::UnRegisterNotification(NOTIFYPROC proc, void* param, int code) {
    for (auto it = m_notifications.begin(); it != m_notifications.end(); ++it)
        if (it->proc == proc && it->param == param && it->code == code) {
            m_notifications.erase(it);
            return 1;
        }
    return 0;
}

// A receiver may unregister itself, or others, while the broadcast runs.
void HostInterface::BroadcastNotification(int code, void* callParam) {
    const std::vector<Registration> registrations = m_notifications;
    for (const Registration& r : registrations) {
        if (r.code != code)
            continue;
        const bool stillThere = std::any_of(m_notifications.begin(), m_notifications.end(), [&](const Registration& x) {
            return x.proc == r.proc && x.param == r.param && x.code == r.code;
        });
        if (!stillThere)
            continue;
        NotifyInfo info{code, callParam};
        r.proc(r.param, &info);
    }
}

int HostInterface::NotificationCount(int code) const {
    return int(std::count_if(m_notifications.begin(), m_notifications.end(),
                             [code](const Registration& r) { return r.code == code; }));
}

void HostInterface::InitCustomControls(HINSTANCE hInst) {
    ++m_customControlsInits;
    m_customControlsInstance = hInst;
}

void HostInterface::CollectNodes(INode* node, std::vector<INode*>& out) {
    for (int i = 0; i < node->NumberOfChildren(); ++i) {
        INode* child = node->GetChildNode(i);
        out.push_back(child);
        CollectNodes(child, out);
    }
}

std::vector<INode*> HostInterface::AllNodes() {
    std::vector<INode*> out;
    CollectNodes(m_root, out);
    return out;
}

void HostInterface::DestroySubtree(SceneNode* node) {
    while (node->NumberOfChildren() > 0)
        DestroySubtree(static_cast<SceneNode*>(node->GetChildNode(node->NumberOfChildren() - 1)));
    if (node == m_root)
        return;
    if (SceneNode* parent = static_cast<SceneNode*>(node->GetParentNode()))
        parent->RemoveChild(node);
    node->DeleteAllRefs();
    node->DeleteThis();
}

void HostInterface::Reset() {
    // Objects deleted with the scene are checked as they go.
    DestroySubtree(m_root);
    HostRules::Instance().ForgetAll();
    m_sceneMtls->DeleteAll();
    m_time = 0;
    m_timeCallbacks.clear();
    m_notifications.clear();
    m_refusingNotifications = false;
    m_outOfMemoryIn.clear();
    m_progress.clear();
    m_obCacheInvalidations.clear();
    m_log.Clear();
    m_log.SetLogTypes(SYSLOG_ERROR | SYSLOG_WARN | SYSLOG_INFO | SYSLOG_DEBUG);
    m_redraws = 0;
    m_customControlsInits = 0;
    m_customControlsInstance = nullptr;
}
} // namespace maxsim

#pragma once
#include "max.h"

#include "SystemLog.h"
#include "imtl.h"
#include "maxapi.h"
#include "notify.h"
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace maxsim {
class SceneNode;

// The host: the scene (a tree of nodes under the root, the scene material
// library, the current time, the selection) and its services (log,
// progress display, notifications, redraws). One per process.
class CoreExport HostInterface : public Interface9 {
public:
    static HostInterface& Instance();

    TimeValue GetTime() override;
    // Every registered callback hears a new current time.
    void SetTime(TimeValue t, BOOL redraw = TRUE) override;
    void RegisterTimeChangeCallback(TimeChangeCallback* tc) override;
    void UnRegisterTimeChangeCallback(TimeChangeCallback* tc) override;

    INode* GetRootNode() override;
    INode* GetINodeByName(const TCHAR* name) override;
    INode* GetINodeByHandle(ULONG handle) override;
    INode* CreateObjectNode(Object* obj) override;
    INode* CreateObjectNode(Object* obj, const TCHAR* name) override;
    // Children of a deleted node move to its parent and keep their place.
    void DeleteNode(INode* node, BOOL redraw = TRUE, BOOL overrideSlaves = FALSE) override;
    void* CreateInstance(SClass_ID superID, Class_ID classID) override;
    MtlBaseLib* GetSceneMtls() override;

    void SelectNode(INode* node, int clearSel = 1) override;
    void DeSelectNode(INode* node) override;
    void ClearNodeSelection(BOOL redraw = TRUE) override;
    int GetSelNodeCount() override;
    INode* GetSelNode(int i) override;

    void RedrawViews(TimeValue t, DWORD vpFlags = REDRAW_NORMAL, ReferenceTarget* change = nullptr) override;
    HWND GetMAXHWnd() override;
    BOOL ProgressStart(TCHAR* title, BOOL dispBar, LPTHREAD_START_ROUTINE fn, LPVOID arg) override;
    void ProgressUpdate(int pct, BOOL showPct = TRUE, TCHAR* title = nullptr) override;
    void ProgressEnd() override;
    BOOL GetCancel() override;
    LogSys* Log() override;
    void MakeNameUnique(TSTR& name) override;
    // Recorded, and the node's cached pipeline result is thrown away.
    void InvalidateObCache(INode* node) override;

    // Host side of the global entry points. A registration answers 0 when
    // the same one is there already, or while the host refuses them.
    int RegisterNotification(NOTIFYPROC proc, void* param, int code);
    int UnRegisterNotification(NOTIFYPROC proc, void* param, int code);
    void BroadcastNotification(int code, void* callParam);
    void InitCustomControls(HINSTANCE hInst);

    // Empties the scene and forgets every registration and record.
    void Reset();
    SystemLog& GetLog() { return m_log; }
    void AddSceneMaterial(MtlBase* m);
    // Every node below the root, a node before its children.
    std::vector<INode*> AllNodes();

    struct ProgressRecord {
        std::string title;
        BOOL dispBar;
        bool hasFunction;
        bool ended;
    };
    const std::vector<ProgressRecord>& ProgressRecords() const { return m_progress; }
    int RedrawCount() const { return m_redraws; }
    int CustomControlsInitCount() const { return m_customControlsInits; }
    HINSTANCE CustomControlsInstance() const { return m_customControlsInstance; }
    int NotificationCount(int code) const;
    // Every later registration is refused (answered 0) until Reset, as a
    // host short of resources may; plug-ins must carry on without one.
    void RefuseNotifications() { m_refusingNotifications = true; }
    // The next call of the named host operation ("BuildNormals" of
    // MNNormalSpec, "AddWeights" of the skin) raises std::bad_alloc on entry,
    // as the host's allocator does when memory runs out; once, until Reset.
    void RunOutOfMemoryIn(const std::string& operation) { m_outOfMemoryIn = operation; }
    // Called on entry by the operations above.
    void Allocating(const char* operation);
    // The nodes handed to InvalidateObCache, in call order.
    const std::vector<INode*>& ObCacheInvalidations() const { return m_obCacheInvalidations; }

private:
    HostInterface();
    ~HostInterface() override;
    HostInterface(const HostInterface&) = delete;
    HostInterface& operator=(const HostInterface&) = delete;

    void CollectNodes(INode* node, std::vector<INode*>& out);
    void DestroySubtree(SceneNode* node);
    std::string DefaultNodeName(Object* obj);

    struct Registration {
        NOTIFYPROC proc;
        void* param;
        int code;
    };

    SceneNode* m_root;
    MtlBaseLib* m_sceneMtls;
    SystemLog m_log;
    TimeValue m_time;
    ULONG m_nextHandle;
    std::map<std::string, int> m_nameCounters;
    std::vector<TimeChangeCallback*> m_timeCallbacks;
    std::vector<Registration> m_notifications;
    bool m_refusingNotifications = false;
    std::string m_outOfMemoryIn;
    std::vector<ProgressRecord> m_progress;
    std::vector<INode*> m_obCacheInvalidations;
    int m_redraws;
    int m_customControlsInits;
    HINSTANCE m_customControlsInstance;
};
} // namespace maxsim

#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "maxapi.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "coreexp.h"
#include "iFnPub.h"
#include "log.h"
#include "maxheap.h"
#include "maxtypes.h"
#include "strclass.h"

class INode;
class Object;
class MtlBaseLib;
class ReferenceTarget;
class TimeChangeCallback;

#define REDRAW_BEGIN (1 << 0)
#define REDRAW_INTERACTIVE (1 << 1)
#define REDRAW_END (1 << 2)
#define REDRAW_NORMAL (1 << 3)

// The host's main interface.
class Interface : public MaxHeapOperators {
public:
    virtual ~Interface() {}

    virtual TimeValue GetTime() = 0;
    virtual void SetTime(TimeValue t, BOOL redraw = TRUE) = 0;
    virtual void RegisterTimeChangeCallback(TimeChangeCallback* tc) = 0;
    virtual void UnRegisterTimeChangeCallback(TimeChangeCallback* tc) = 0;

    virtual INode* GetRootNode() = 0;
    virtual INode* GetINodeByName(const TCHAR* name) = 0;
    virtual INode* GetINodeByHandle(ULONG handle) = 0;
    virtual INode* CreateObjectNode(Object* obj) = 0;
    virtual void DeleteNode(INode* node, BOOL redraw = TRUE, BOOL overrideSlaves = FALSE) = 0;
    virtual void* CreateInstance(SClass_ID superID, Class_ID classID) = 0;
    virtual MtlBaseLib* GetSceneMtls() = 0;

    virtual void SelectNode(INode* node, int clearSel = 1) = 0;
    virtual void DeSelectNode(INode* node) = 0;
    virtual void ClearNodeSelection(BOOL redraw = TRUE) = 0;
    virtual int GetSelNodeCount() = 0;
    virtual INode* GetSelNode(int i) = 0;

    virtual void RedrawViews(TimeValue t, DWORD vpFlags = REDRAW_NORMAL, ReferenceTarget* change = nullptr) = 0;
    virtual HWND GetMAXHWnd() = 0;
    virtual BOOL ProgressStart(TCHAR* title, BOOL dispBar, LPTHREAD_START_ROUTINE fn, LPVOID arg) = 0;
    virtual void ProgressUpdate(int pct, BOOL showPct = TRUE, TCHAR* title = nullptr) = 0;
    virtual void ProgressEnd() = 0;
    virtual BOOL GetCancel() = 0;
    virtual LogSys* Log() = 0;
    // Makes a node name unique in the scene: a name that no node bears is
    // kept; otherwise its trailing digits are replaced by the next number,
    // three digits at least, after the highest that nodes of the same root
    // bear ("Box" with "Box001" and "Box004" taken gives "Box005").
    virtual void MakeNameUnique(TSTR& name) = 0;
};

// Hears every change of the current time.
class TimeChangeCallback {
public:
    virtual ~TimeChangeCallback() {}
    virtual void TimeChanged(TimeValue t) = 0;
};

// Later additions to the host's interface, one class per release.
class Interface7 : public Interface {
public:
    // Throws away the node's cached pipeline result, so that its next
    // evaluation runs the pipeline again (after its object was replaced).
    virtual void InvalidateObCache(INode* node) = 0;
};

class Interface8 : public Interface7 {};

class Interface9 : public Interface8 {
public:
    // A new node for obj, under the root, with the given name.
    virtual INode* CreateObjectNode(Object* obj, const TCHAR* name) = 0;
    using Interface::CreateObjectNode;
};

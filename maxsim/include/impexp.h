#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "impexp.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "maxheap.h"
#include "maxtypes.h"

class IScene;

// What the host hands an exporter besides the core interface.
class ExpInterface : public MaxHeapOperators {
public:
    IScene* theScene;

    ExpInterface() : theScene(nullptr) {}
    virtual ~ExpInterface() {}
};

// What the host hands an importer besides the core interface.
class ImpInterface : public MaxHeapOperators {
public:
    virtual ~ImpInterface() {}
    virtual void RedrawViews() = 0;
    virtual TimeValue GetTime() = 0;
    virtual void SetTime(TimeValue t) = 0;
};

class ExpInterface;
class Interface;

// A scene exporter plug-in, created through its class descriptor.
class SceneExport : public MaxHeapOperators {
public:
    SceneExport() {}
    virtual ~SceneExport() {}
    virtual int ExtCount() = 0;
    virtual const TCHAR* Ext(int n) = 0;
    virtual const TCHAR* LongDesc() = 0;
    virtual const TCHAR* ShortDesc() = 0;
    virtual const TCHAR* AuthorName() = 0;
    virtual const TCHAR* CopyrightMessage() = 0;
    virtual const TCHAR* OtherMessage1() = 0;
    virtual const TCHAR* OtherMessage2() = 0;
    virtual unsigned int Version() = 0;
    virtual void ShowAbout(HWND hWnd) = 0;
    virtual int DoExport(const TCHAR* name, ExpInterface* ei, Interface* i, BOOL suppressPrompts = FALSE,
                         DWORD options = 0) = 0;
    virtual BOOL SupportsOptions(int ext, DWORD options) {
        (void)ext;
        (void)options;
        return FALSE;
    }
};

class ImpInterface;
class Interface;

#define ZOOMEXT_NOT_IMPLEMENTED -1
#define ZOOMEXT_YES TRUE
#define ZOOMEXT_NO FALSE

// A scene importer plug-in, created through its class descriptor.
class SceneImport : public MaxHeapOperators {
public:
    SceneImport() {}
    virtual ~SceneImport() {}
    virtual int ExtCount() = 0;
    virtual const TCHAR* Ext(int n) = 0;
    virtual const TCHAR* LongDesc() = 0;
    virtual const TCHAR* ShortDesc() = 0;
    virtual const TCHAR* AuthorName() = 0;
    virtual const TCHAR* CopyrightMessage() = 0;
    virtual const TCHAR* OtherMessage1() = 0;
    virtual const TCHAR* OtherMessage2() = 0;
    virtual unsigned int Version() = 0;
    virtual void ShowAbout(HWND hWnd) = 0;
    virtual int DoImport(const TCHAR* name, ImpInterface* ii, Interface* i, BOOL suppressPrompts = FALSE) = 0;
    virtual int ZoomExtents() { return ZOOMEXT_NOT_IMPLEMENTED; }
};

#define SCENE_EXPORT_SELECTED (1 << 0)
#define IMPEXP_FAIL 0
#define IMPEXP_SUCCESS 1
#define IMPEXP_CANCEL 2

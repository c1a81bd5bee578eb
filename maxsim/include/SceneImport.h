#pragma once
#include "maxheap.h"
#include "maxwin32.h"

class ImpInterface;
class Interface;

#define ZOOMEXT_NOT_IMPLEMENTED -1
#define ZOOMEXT_YES TRUE
#define ZOOMEXT_NO FALSE

// A scene importer plug-in, created through its class descriptor.
class SceneImport : public MaxHeapOperators
{
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

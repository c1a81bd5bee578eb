#pragma once
#include "maxheap.h"
#include "maxwin32.h"

class ExpInterface;
class Interface;

// A scene exporter plug-in, created through its class descriptor.
class SceneExport : public MaxHeapOperators
{
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
    virtual BOOL SupportsOptions(int ext, DWORD options)
    {
        (void)ext;
        (void)options;
        return FALSE;
    }
};

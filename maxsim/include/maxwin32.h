#pragma once
// The Win32 types that the host's interfaces use. The Windows target takes
// them from <windows.h>; elsewhere they are declared with the same shapes.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cstddef>
typedef int BOOL;
typedef unsigned long DWORD;
typedef unsigned long ULONG;
typedef unsigned int UINT;
typedef unsigned short WORD;
typedef unsigned char BYTE;
typedef char TCHAR;
typedef void* LPVOID;
typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
#ifndef WINAPI
#define WINAPI
#endif
typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID);
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#endif

#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "coreexp.h needs max.h included before it, as the SDK's own headers do"
#endif

// The host's own symbols. A program that links maxsim exports them so that
// plug-in modules bind to the host at load time, as they bind to the host's
// core libraries.
#if defined(_WIN32) && defined(MAXSIM_BUILDING)
#define CoreExport __declspec(dllexport)
#else
#define CoreExport
#endif
#define UtilExport CoreExport

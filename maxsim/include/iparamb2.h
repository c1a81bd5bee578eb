#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "iparamb2.h needs max.h included before it, as the SDK's own headers do"
#endif
// Parameter blocks of the second kind, as far as a plug-in here meets them:
// the interface that iskin.h's gizmo classes hold their parameters through.
// Include it after max.h and before iskin.h. The stand-in host creates no
// parameter blocks; the interface is here so that iskin.h finds it complete.
#define MAXSIM_IPARAMB2_H_INCLUDED

#include "ref.h"

// Parameters and blocks carry permanent ids, independent of their position.
typedef short ParamID;
typedef short BlockID;

// The interface to a parameter block (the subset that a block's owner uses
// to tell its blocks apart).
class IParamBlock2 : public ReferenceTarget {
public:
    virtual DWORD GetVersion() = 0;
    virtual int NumParams() = 0;
    virtual TCHAR* GetLocalName() = 0;
    virtual BlockID ID() = 0;
    virtual int IDtoIndex(ParamID id) = 0;
    virtual ParamID IndextoID(int i) = 0;
    virtual ReferenceMaker* GetOwner() = 0;
};

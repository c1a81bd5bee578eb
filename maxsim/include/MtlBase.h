#pragma once
#include "ref.h"
#include "strclass.h"

// The common base of materials and maps: a name.
class CoreExport MtlBase : public ReferenceTarget
{
public:
    MtlBase();
    ~MtlBase() override;

    TSTR& GetName() { return name; }
    void SetName(TSTR s);
    TSTR GetFullName();

private:
    TSTR name;
};

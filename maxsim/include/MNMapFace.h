#pragma once
#include "maxexport.h"
#include "mncommon.h"

// The map-vertex indices of one face in one map channel.
class CoreExport MNMapFace : public FlagUser
{
public:
    int deg;
    int* tv;

    MNMapFace();
    explicit MNMapFace(int d);
    MNMapFace(const MNMapFace& from);
    ~MNMapFace();
    MNMapFace& operator=(const MNMapFace& from);

    void Init();
    void Clear();
    void SetSize(int d);
    void MakePoly(int fdeg, int* tt);
};

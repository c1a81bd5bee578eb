#pragma once
#include "maxexport.h"
#include "maxtypes.h"
#include "mncommon.h"

// A polygon: deg corners with their vertex indices, a material id and
// smoothing groups.
class CoreExport MNFace : public FlagUser
{
public:
    int deg;
    int* vtx;
    int* edg;
    DWORD smGroup;
    MtlID material;

    MNFace();
    explicit MNFace(int d);
    MNFace(const MNFace& from);
    ~MNFace();
    MNFace& operator=(const MNFace& from);

    void Init();
    void Clear();
    void SetDeg(int d);
    void MakePoly(int fdeg, int* vv);
    MtlID GetMatID() const { return material; }
    void SetMatID(MtlID mid) { material = mid; }
    int VertIndex(int vv) const;
};

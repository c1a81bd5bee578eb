#pragma once
#include <vector>
#include "MNMapFace.h"
#include "maxexport.h"
#include "mncommon.h"
#include "point3.h"

// One map channel: its own vertices and one map face per mesh face.
// A channel flagged MN_DEAD is not in use.
class CoreExport MNMap : public FlagUser
{
public:
    int numv, numf;
    UVVert* v;
    MNMapFace* f;

    MNMap();
    MNMap(const MNMap& from);
    MNMap& operator=(const MNMap& from);
    ~MNMap();

    void Init();
    void ClearAndFree();
    void VAlloc(int num, bool keep = true);
    void FAlloc(int num, bool keep = true);
    void setNumVerts(int nvnum);
    void setNumFaces(int nfnum);
    int VNum() const { return numv; }
    int FNum() const { return numf; }
    UVVert V(int i) const { return v[i]; }
    MNMapFace* F(int i) { return &f[i]; }
    int NewVert(UVVert p, int uoff = 0, int voff = 0);
    int NewTri(int a, int b, int c);
    int NewFace(int degg, int* vv);

private:
    void Sync();

    std::vector<UVVert> m_verts;
    std::vector<MNMapFace> m_faces;
};

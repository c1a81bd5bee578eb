#pragma once
#include <vector>
#include "mncommon.h"
#include "point3.h"
#include "coreexp.h"
#include "maxtypes.h"
#include "MNNormalSpec.h"
#include "tab.h"

class MNVert : public FlagUser
{
public:
    Point3 p;
    int orig;

    MNVert() : orig(-1) {}
};

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

class Mesh;

// The host's polygon mesh: vertices, faces of any degree, map channels and
// optional specified normals.
class CoreExport MNMesh : public FlagUser
{
public:
    MNVert* v;
    MNFace* f;
    int numv, nume, numf, numm;
    Tab<int>* vedg;
    Tab<int>* vfac;

    MNMesh();
    MNMesh(const MNMesh& from);
    explicit MNMesh(const Mesh& from);
    ~MNMesh();
    MNMesh& operator=(const MNMesh& from);

    void Init();
    void Clear();
    void ClearAndFree();
    void VAlloc(int num, bool keep = true);
    void FAlloc(int num, bool keep = true);
    void EAlloc(int num, bool keep = true);
    void VEdgeAlloc();
    void VFaceAlloc();
    void setNumVerts(int nvnum);
    void setNumFaces(int nfnum);
    int VNum() const { return numv; }
    int FNum() const { return numf; }
    int ENum() const { return nume; }
    MNVert* V(int i) const { return &v[i]; }
    MNFace* F(int i) const { return &f[i]; }
    Point3& P(int i) const { return v[i].p; }

    int NewVert(Point3& p);
    int CreateFace(int degg, int* vv);

    int MNum() const { return numm; }
    void SetMapNum(int mpnum);
    void InitMap(int mp);
    void ClearMap(int mp);
    MNMap* M(int mp);

    void CollapseDeadStructs();
    void InvalidateGeomCache();
    void InvalidateTopoCache(bool in_clearCacheFlags = true);
    void FillInMesh();
    void PrepForPipeline();
    Point3 GetFaceNormal(int fc, bool nrmlz = false);

    MNNormalSpec* GetSpecifiedNormals();
    void SpecifyNormals();
    void ClearSpecifiedNormals();

    void SetFromTri(const Mesh& from);

private:
    void Sync();

    std::vector<MNVert> m_verts;
    std::vector<MNFace> m_faces;
    std::vector<MNMap> m_maps;
    std::vector<Tab<int>> m_vedg;
    std::vector<Tab<int>> m_vfac;
    bool m_hasVertexLists;
    MNNormalSpec* m_normals;
};

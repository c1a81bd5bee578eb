#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "MNMesh.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "MNNormalSpec.h"
#include "coreexp.h"
#include "maxtypes.h"
#include "mncommon.h"
#include "point3.h"
#include "tab.h"
#include <vector>

class MNVert : public FlagUser {
public:
    Point3 p;
    int orig;

    MNVert() : orig(-1) {}
};

// A polygon: deg corners with their vertex indices, a material id and
// smoothing groups.
class CoreExport MNFace : public FlagUser {
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
    int VertIndex(int vv) const;
};

// The map-vertex indices of one face in one map channel.
class CoreExport MNMapFace : public FlagUser {
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
class CoreExport MNMap : public FlagUser {
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
    void RebuildEdges();
    int AddEdgeOfFace(int a, int b, int fc);

    std::vector<UVVert> m_verts;
    std::vector<MNMapFace> m_faces;
};

class Mesh;

// An edge between two vertices, with the face on each side (f2 is -1 for an
// edge on the border).
class MNEdge : public FlagUser {
public:
    int v1, v2;
    int f1, f2;
    int track;

    MNEdge() : v1(-1), v2(-1), f1(-1), f2(-1), track(-1) {}
    MNEdge(int vv1, int vv2, int fc) : v1(vv1), v2(vv2), f1(fc), f2(-1), track(-1) {}
    int OtherVert(int vv) const { return vv == v1 ? v2 : v1; }
    int OtherFace(int ff) const { return ff == f1 ? f2 : f1; }
};

// The host's polygon mesh: vertices, faces of any degree, map channels and
// optional specified normals.
class CoreExport MNMesh : public FlagUser {
public:
    MNVert* v;
    MNFace* f;
    MNEdge* e;
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
    MNEdge* E(int i) const { return &e[i]; }
    Point3& P(int i) const { return v[i].p; }

    int NewVert(Point3& p);
    // Needs VEdgeAlloc and VFaceAlloc first (the face is entered into the
    // vertices' edge and face lists); answers the new face's index, or -1
    // when those lists are missing, the degree is below 3 or a vertex index
    // is outside the vertex range.
    int CreateFace(int degg, int* vv);
    // The edge between the two vertices, or -1.
    int FindEdgeFromVertToVert(int vrt1, int vrt2);

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
    void RebuildEdges();
    int AddEdgeOfFace(int a, int b, int fc);

    std::vector<MNVert> m_verts;
    std::vector<MNFace> m_faces;
    std::vector<MNEdge> m_edges;
    std::vector<MNMap> m_maps;
    std::vector<Tab<int>> m_vedg;
    std::vector<Tab<int>> m_vfac;
    bool m_hasVertexEdges;
    bool m_hasVertexFaces;
    MNNormalSpec* m_normals;
};

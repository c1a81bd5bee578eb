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
#include <memory>
#include <vector>

namespace maxsim {
class HostRules;
}

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

// Mesh flags.
#define MN_MESH_NONTRI (1 << 0)
#define MN_MESH_FILLED_IN (1 << 1)
#define MN_MESH_NO_BAD_VERTS (1 << 3)
#define MN_MESH_VERTS_ORDERED (1 << 4)
#define MN_MESH_CACHE_FLAGS (MN_MESH_FILLED_IN | MN_MESH_NO_BAD_VERTS | MN_MESH_VERTS_ORDERED)

// The host's polygon mesh: vertices, faces of any degree, map channels and
// optional specified normals.
//
// Its arrays are held per pipeline channel (geometry: the vertices;
// topology: faces, edges and the vertices' edge and face lists; texture
// maps: channels 1 and up; vertex colours: channel 0; the specified normals
// keep their normals with geometry and their faces with topology). A shallow
// copy shares a channel's arrays with the mesh it came from until
// NewAndCopyChannels gives it its own; a change through this mesh to a
// channel it shares breaks a host rule.
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
    // A deep copy: every channel of the result is its own.
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
    // The edge between the two vertices, or -1; needs a filled-in mesh.
    int FindEdgeFromVertToVert(int vrt1, int vrt2);

    int MNum() const { return numm; }
    void SetMapNum(int mpnum);
    void InitMap(int mp);
    void ClearMap(int mp);
    MNMap* M(int mp);

    void CollapseDeadStructs();
    void InvalidateGeomCache();
    // With in_clearCacheFlags, the cache flags go (MN_MESH_FILLED_IN among
    // them): the edges and the vertices' edge and face lists are no longer
    // valid, and are dropped, until FillInMesh builds them again.
    void InvalidateTopoCache(bool in_clearCacheFlags = true);
    // Builds the edges and the vertices' edge and face lists from the faces
    // and sets MN_MESH_FILLED_IN. A mesh with faces enters the pipeline only
    // filled in.
    void FillInMesh();
    void PrepForPipeline();
    Point3 GetFaceNormal(int fc, bool nrmlz = false);

    MNNormalSpec* GetSpecifiedNormals();
    // Gives the mesh an empty set of specified normals (no normals, no normal
    // faces) when it has none.
    void SpecifyNormals();
    void ClearSpecifiedNormals();

    void SetFromTri(const Mesh& from);

    // Pipeline support: share, copy and free channels (see above).
    void ShallowCopy(MNMesh* amesh, ChannelMask channels);
    void NewAndCopyChannels(ChannelMask channels);
    void FreeChannels(ChannelMask channels, BOOL zeroOthers = 1);

private:
    friend class maxsim::HostRules;
    friend class MNNormalSpec;

    struct Topology {
        std::vector<MNFace> faces;
        std::vector<MNEdge> edges;
        std::vector<Tab<int>> vedg;
        std::vector<Tab<int>> vfac;
        bool hasVertexEdges = false;
        bool hasVertexFaces = false;
    };

    void Sync();
    void RebuildEdges();
    int AddEdgeOfFace(int a, int b, int fc);
    // Every change goes through here: counted, and checked against the
    // channels this mesh shares with another.
    void BeforeWrite(ChannelMask channels, const char* operation);
    static ChannelMask MapChannel(int mp);

    std::shared_ptr<std::vector<MNVert>> m_verts;
    std::shared_ptr<Topology> m_topo;
    std::vector<std::shared_ptr<MNMap>> m_maps;
    std::shared_ptr<MNNormalSpec> m_normals;
    // The channels whose arrays this mesh has from another and may not change.
    ChannelMask m_borrowed;
    unsigned m_writes;
};

#pragma once
#include <vector>
#include "MNFace.h"
#include "MNMap.h"
#include "MNNormals.h"
#include "MNVert.h"
#include "maxexport.h"
#include "mncommon.h"
#include "tab.h"

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

#include "max.h"

#include "MNMesh.h"

#include "mesh.h"

MNMesh::MNMesh()
    : v(nullptr), f(nullptr), e(nullptr), numv(0), nume(0), numf(0), numm(0), vedg(nullptr), vfac(nullptr),
      m_hasVertexEdges(false), m_hasVertexFaces(false), m_normals(nullptr) {}

MNMesh::MNMesh(const MNMesh& from) : MNMesh() {
    *this = from;
}

MNMesh::MNMesh(const Mesh& from) : MNMesh() {
    SetFromTri(from);
}

MNMesh::~MNMesh() {
    delete m_normals;
}

MNMesh& MNMesh::operator=(const MNMesh& from) {
    if (this == &from)
        return *this;
    m_verts = from.m_verts;
    m_faces = from.m_faces;
    m_edges = from.m_edges;
    m_maps = from.m_maps;
    m_vedg = from.m_vedg;
    m_vfac = from.m_vfac;
    m_hasVertexEdges = from.m_hasVertexEdges;
    m_hasVertexFaces = from.m_hasVertexFaces;
    delete m_normals;
    m_normals = nullptr;
    if (from.m_normals) {
        m_normals = new MNNormalSpec;
        *m_normals = *from.m_normals;
        m_normals->SetParent(this);
    }
    ImportFlags(from.ExportFlags());
    Sync();
    return *this;
}

void MNMesh::Init() {
    ClearAndFree();
}

void MNMesh::Clear() {
    m_verts.clear();
    m_faces.clear();
    m_edges.clear();
    m_maps.clear();
    m_vedg.clear();
    m_vfac.clear();
    m_hasVertexEdges = false;
    m_hasVertexFaces = false;
    ClearSpecifiedNormals();
    Sync();
}

void MNMesh::ClearAndFree() {
    Clear();
    std::vector<MNVert>().swap(m_verts);
    std::vector<MNFace>().swap(m_faces);
    Sync();
}

void MNMesh::VAlloc(int num, bool keep) {
    if (!keep)
        m_verts.clear();
    if (num > 0)
        m_verts.reserve(size_t(num));
    Sync();
}

void MNMesh::FAlloc(int num, bool keep) {
    if (!keep)
        m_faces.clear();
    if (num > 0)
        m_faces.reserve(size_t(num));
    Sync();
}

void MNMesh::EAlloc(int num, bool keep) {
    if (!keep)
        m_edges.clear();
    if (num > 0)
        m_edges.reserve(size_t(num));
    Sync();
}

// Allocates the vertices' edge lists and builds the edges of the faces that
// exist already.
void MNMesh::VEdgeAlloc() {
    m_hasVertexEdges = true;
    RebuildEdges();
    Sync();
}

void MNMesh::RebuildEdges() {
    m_edges.clear();
    m_vedg.assign(m_verts.size(), Tab<int>());
    for (int fi = 0; fi < int(m_faces.size()); ++fi) {
        MNFace& face = m_faces[size_t(fi)];
        for (int c = 0; c < face.deg; ++c)
            face.edg[c] = AddEdgeOfFace(face.vtx[c], face.vtx[(c + 1) % face.deg], fi);
    }
}

// The edge from a to b for face fc: an existing edge between them that has
// no second face yet takes fc as that face; otherwise a new edge.
int MNMesh::AddEdgeOfFace(int a, int b, int fc) {
    if (a < 0 || b < 0 || size_t(a) >= m_vedg.size() || size_t(b) >= m_vedg.size())
        return -1;
    const Tab<int>& around = m_vedg[size_t(a)];
    for (int k = 0; k < around.Count(); ++k) {
        MNEdge& edge = m_edges[size_t(around[k])];
        if (edge.OtherVert(a) == b && (edge.v1 == a || edge.v2 == a) && edge.f2 < 0 && edge.f1 != fc) {
            edge.f2 = fc;
            return around[k];
        }
    }
    int ei = int(m_edges.size());
    m_edges.emplace_back(a, b, fc);
    m_vedg[size_t(a)].Append(1, &ei);
    if (b != a)
        m_vedg[size_t(b)].Append(1, &ei);
    return ei;
}

int MNMesh::FindEdgeFromVertToVert(int vrt1, int vrt2) {
    if (vrt1 < 0 || size_t(vrt1) >= m_vedg.size())
        return -1;
    const Tab<int>& around = m_vedg[size_t(vrt1)];
    for (int k = 0; k < around.Count(); ++k) {
        const MNEdge& edge = m_edges[size_t(around[k])];
        if ((edge.v1 == vrt1 && edge.v2 == vrt2) || (edge.v1 == vrt2 && edge.v2 == vrt1))
            return around[k];
    }
    return -1;
}

void MNMesh::VFaceAlloc() {
    m_vfac.assign(m_verts.size(), Tab<int>());
    for (int fi = 0; fi < int(m_faces.size()); ++fi)
        for (int c = 0; c < m_faces[size_t(fi)].deg; ++c) {
            const int vi = m_faces[size_t(fi)].vtx[c];
            if (vi >= 0 && size_t(vi) < m_vfac.size())
                m_vfac[size_t(vi)].Append(1, const_cast<int*>(&fi));
        }
    m_hasVertexFaces = true;
    Sync();
}

void MNMesh::setNumVerts(int nvnum) {
    m_verts.resize(size_t(nvnum > 0 ? nvnum : 0));
    if (m_hasVertexEdges)
        m_vedg.resize(m_verts.size());
    if (m_hasVertexFaces)
        m_vfac.resize(m_verts.size());
    Sync();
}

void MNMesh::setNumFaces(int nfnum) {
    m_faces.resize(size_t(nfnum > 0 ? nfnum : 0));
    if (m_normals)
        m_normals->SetNumFaces(int(m_faces.size()));
    Sync();
}

int MNMesh::NewVert(Point3& p) {
    m_verts.emplace_back();
    m_verts.back().p = p;
    if (m_hasVertexEdges)
        m_vedg.emplace_back();
    if (m_hasVertexFaces)
        m_vfac.emplace_back();
    Sync();
    return numv - 1;
}

// A new face also gets a map face in every live channel and a place among
// the specified normals, so that those stay parallel to the faces.
int MNMesh::CreateFace(int degg, int* vv) {
    if (!m_hasVertexEdges || !m_hasVertexFaces || degg < 3 || !vv)
        return -1;
    for (int c = 0; c < degg; ++c)
        if (vv[c] < 0 || vv[c] >= numv)
            return -1;
    m_faces.emplace_back();
    MNFace& face = m_faces.back();
    face.MakePoly(degg, vv);
    int fi = int(m_faces.size()) - 1;
    for (int c = 0; c < degg; ++c) {
        face.edg[c] = AddEdgeOfFace(vv[c], vv[(c + 1) % degg], fi);
        m_vfac[size_t(vv[c])].Append(1, &fi);
    }
    for (MNMap& map : m_maps) {
        if (map.GetFlag(MN_DEAD) || map.numf != fi)
            continue;
        std::vector<int> tv(static_cast<size_t>(degg));
        for (int c = 0; c < degg; ++c)
            tv[size_t(c)] = vv[c] >= 0 && vv[c] < map.numv ? vv[c] : 0;
        map.NewFace(degg, tv.data());
    }
    if (m_normals) {
        m_normals->SetNumFaces(fi + 1);
        m_normals->Face(fi).SetDegree(degg);
    }
    Sync();
    return fi;
}

// New channels are dead until InitMap.
void MNMesh::SetMapNum(int mpnum) {
    if (mpnum < 0)
        mpnum = 0;
    const size_t old = m_maps.size();
    m_maps.resize(size_t(mpnum));
    for (size_t i = old; i < m_maps.size(); ++i)
        m_maps[i].SetFlag(MN_DEAD);
    Sync();
}

// A channel starts as a copy of the geometry: one map vertex per vertex at
// its position, one map face per face with the same corners.
void MNMesh::InitMap(int mp) {
    MNMap* map = M(mp);
    if (!map)
        return;
    map->ClearAndFree();
    map->ClearFlag(MN_DEAD);
    map->setNumVerts(numv);
    for (int i = 0; i < numv; ++i)
        map->v[i] = m_verts[size_t(i)].p;
    map->setNumFaces(numf);
    for (int fi = 0; fi < numf; ++fi)
        map->f[fi].MakePoly(m_faces[size_t(fi)].deg, m_faces[size_t(fi)].vtx);
}

void MNMesh::ClearMap(int mp) {
    MNMap* map = M(mp);
    if (!map)
        return;
    map->ClearAndFree();
    map->SetFlag(MN_DEAD);
}

MNMap* MNMesh::M(int mp) {
    if (mp < 0 || mp >= numm)
        return nullptr;
    return &m_maps[size_t(mp)];
}

// Removes dead faces and vertices, renumbering what remains; map faces and
// specified-normal faces follow their faces.
void MNMesh::CollapseDeadStructs() {
    // A mesh with nothing dead is left as it is, without building a copy.
    bool anyDead = false;
    for (size_t i = 0; i < m_verts.size() && !anyDead; ++i)
        anyDead = m_verts[i].GetFlag(MN_DEAD);
    for (size_t i = 0; i < m_faces.size() && !anyDead; ++i)
        anyDead = m_faces[i].GetFlag(MN_DEAD);
    if (!anyDead)
        return;

    std::vector<int> vmap(m_verts.size(), -1);
    std::vector<MNVert> verts;
    verts.reserve(m_verts.size());
    for (size_t i = 0; i < m_verts.size(); ++i)
        if (!m_verts[i].GetFlag(MN_DEAD)) {
            vmap[i] = int(verts.size());
            verts.push_back(m_verts[i]);
        }

    std::vector<bool> keepFace(m_faces.size());
    for (size_t i = 0; i < m_faces.size(); ++i)
        keepFace[i] = !m_faces[i].GetFlag(MN_DEAD);

    const size_t oldFaceCount = m_faces.size();
    std::vector<MNFace> faces;
    for (size_t i = 0; i < m_faces.size(); ++i) {
        if (!keepFace[i])
            continue;
        faces.push_back(m_faces[i]);
        MNFace& face = faces.back();
        for (int c = 0; c < face.deg; ++c)
            face.vtx[c] = face.vtx[c] >= 0 && size_t(face.vtx[c]) < vmap.size() ? vmap[size_t(face.vtx[c])] : -1;
    }
    for (MNMap& map : m_maps) {
        if (size_t(map.numf) != oldFaceCount)
            continue;
        std::vector<MNMapFace> kept;
        for (size_t i = 0; i < oldFaceCount; ++i)
            if (keepFace[i])
                kept.push_back(map.f[i]);
        map.setNumFaces(int(kept.size()));
        for (size_t i = 0; i < kept.size(); ++i)
            map.f[i] = kept[i];
    }
    if (m_normals && size_t(m_normals->GetNumFaces()) == oldFaceCount) {
        std::vector<MNNormalFace> kept;
        for (size_t i = 0; i < oldFaceCount; ++i)
            if (keepFace[i])
                kept.push_back(m_normals->Face(int(i)));
        m_normals->SetNumFaces(int(kept.size()));
        for (size_t i = 0; i < kept.size(); ++i)
            m_normals->Face(int(i)) = kept[i];
    }
    m_verts.swap(verts);
    m_faces.swap(faces);
    if (m_hasVertexEdges)
        VEdgeAlloc();
    if (m_hasVertexFaces)
        VFaceAlloc();
    Sync();
}

void MNMesh::InvalidateGeomCache() {
    if (m_normals)
        m_normals->ClearFlag(MNNORMAL_NORMALS_COMPUTED);
}

void MNMesh::InvalidateTopoCache(bool) {
    if (m_normals)
        m_normals->ClearFlag(MNNORMAL_NORMALS_BUILT | MNNORMAL_NORMALS_COMPUTED);
}

void MNMesh::FillInMesh() {
    VEdgeAlloc();
    VFaceAlloc();
}

void MNMesh::PrepForPipeline() {
    if (m_normals)
        m_normals->SetParent(this);
}

// Newell's method: the normal of any planar or nearly planar polygon.
Point3 MNMesh::GetFaceNormal(int fc, bool nrmlz) {
    Point3 n(0.0f, 0.0f, 0.0f);
    if (fc < 0 || fc >= numf)
        return n;
    const MNFace& face = m_faces[size_t(fc)];
    for (int c = 0; c < face.deg; ++c) {
        const int a = face.vtx[c], b = face.vtx[(c + 1) % face.deg];
        if (a < 0 || b < 0 || a >= numv || b >= numv)
            continue;
        const Point3& p = m_verts[size_t(a)].p;
        const Point3& q = m_verts[size_t(b)].p;
        n.x += (p.y - q.y) * (p.z + q.z);
        n.y += (p.z - q.z) * (p.x + q.x);
        n.z += (p.x - q.x) * (p.y + q.y);
    }
    return nrmlz ? n.Normalize() : n;
}

MNNormalSpec* MNMesh::GetSpecifiedNormals() {
    return m_normals;
}

void MNMesh::SpecifyNormals() {
    if (!m_normals) {
        m_normals = new MNNormalSpec;
        m_normals->SetNumFaces(numf);
        for (int fi = 0; fi < numf; ++fi)
            m_normals->Face(fi).SetDegree(m_faces[size_t(fi)].deg);
    }
    m_normals->SetParent(this);
}

void MNMesh::ClearSpecifiedNormals() {
    delete m_normals;
    m_normals = nullptr;
}

void MNMesh::SetFromTri(const Mesh& from) {
    Clear();
    m_verts.resize(size_t(from.numVerts));
    for (int i = 0; i < from.numVerts; ++i)
        m_verts[size_t(i)].p = from.verts[i];
    m_faces.resize(size_t(from.numFaces));
    for (int i = 0; i < from.numFaces; ++i) {
        int vv[3] = {int(from.faces[i].v[0]), int(from.faces[i].v[1]), int(from.faces[i].v[2])};
        m_faces[size_t(i)].MakePoly(3, vv);
        m_faces[size_t(i)].smGroup = from.faces[i].smGroup;
        m_faces[size_t(i)].material = from.faces[i].getMatID();
    }
    Sync();
    FillInMesh();
}

void MNMesh::Sync() {
    numv = int(m_verts.size());
    numf = int(m_faces.size());
    numm = int(m_maps.size());
    nume = int(m_edges.size());
    v = m_verts.empty() ? nullptr : m_verts.data();
    f = m_faces.empty() ? nullptr : m_faces.data();
    e = m_edges.empty() ? nullptr : m_edges.data();
    vedg = m_vedg.empty() ? nullptr : m_vedg.data();
    vfac = m_vfac.empty() ? nullptr : m_vfac.data();
    if (m_normals)
        m_normals->SetParent(this);
}

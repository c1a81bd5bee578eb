#include "max.h"

#include "MNMesh.h"

#include "HostRules.h"
#include "mesh.h"
#include "object.h"

namespace {
const ChannelMask kMapChannels = TEXMAP_CHANNEL | VERTCOLOR_CHANNEL;

std::string ChannelNames(ChannelMask channels) {
    std::string names;
    const struct {
        ChannelMask bit;
        const char* name;
    } known[] = {{TOPO_CHANNEL, "topology"},
                 {GEOM_CHANNEL, "geometry"},
                 {TEXMAP_CHANNEL, "texture map"},
                 {VERTCOLOR_CHANNEL, "vertex colour"}};
    for (const auto& k : known)
        if (channels & k.bit)
            names += (names.empty() ? "" : ", ") + std::string(k.name);
    return names;
}
} // namespace

MNMesh::MNMesh()
    : v(nullptr), f(nullptr), e(nullptr), numv(0), nume(0), numf(0), numm(0), vedg(nullptr), vfac(nullptr),
      m_verts(std::make_shared<std::vector<MNVert>>()), m_topo(std::make_shared<Topology>()), m_borrowed(0),
      m_writes(0) {}

MNMesh::MNMesh(const MNMesh& from) : MNMesh() {
    *this = from;
}

MNMesh::MNMesh(const Mesh& from) : MNMesh() {
    SetFromTri(from);
}

MNMesh::~MNMesh() {}

// Whatever this mesh shared, the copy's arrays are its own: new arrays are
// made, the old ones are never written.
MNMesh& MNMesh::operator=(const MNMesh& from) {
    if (this == &from)
        return *this;
    BeforeWrite(TOPO_CHANNEL | GEOM_CHANNEL | kMapChannels, "operator=");
    m_verts = std::make_shared<std::vector<MNVert>>(*from.m_verts);
    m_topo = std::make_shared<Topology>(*from.m_topo);
    m_maps.clear();
    for (const auto& map : from.m_maps)
        m_maps.push_back(std::make_shared<MNMap>(*map));
    m_normals.reset();
    if (from.m_normals) {
        m_normals = std::make_shared<MNNormalSpec>();
        *m_normals = *from.m_normals;
    }
    m_borrowed = 0;
    ImportFlags(from.ExportFlags());
    Sync();
    return *this;
}

void MNMesh::BeforeWrite(ChannelMask channels, const char* operation) {
    ++m_writes;
    const ChannelMask shared = channels & m_borrowed;
    if (shared)
        maxsim::HostRules::Instance().Broken(std::string("MNMesh::") + operation + " changed the " +
                                             ChannelNames(shared) +
                                             " of a mesh that shares them with the pipeline (a locked channel of a "
                                             "shallow copy is read-only)");
}

ChannelMask MNMesh::MapChannel(int mp) {
    return mp == 0 ? VERTCOLOR_CHANNEL : TEXMAP_CHANNEL;
}

void MNMesh::Init() {
    ClearAndFree();
}

// New, empty arrays for every channel: what another mesh shares is left alone.
void MNMesh::Clear() {
    BeforeWrite(TOPO_CHANNEL | GEOM_CHANNEL | kMapChannels, "Clear");
    m_verts = std::make_shared<std::vector<MNVert>>();
    m_topo = std::make_shared<Topology>();
    m_maps.clear();
    m_normals.reset();
    m_borrowed = 0;
    ClearFlag(MN_MESH_CACHE_FLAGS);
    Sync();
}

void MNMesh::ClearAndFree() {
    Clear();
}

void MNMesh::VAlloc(int num, bool keep) {
    BeforeWrite(GEOM_CHANNEL, "VAlloc");
    if (!keep)
        m_verts->clear();
    if (num > 0)
        m_verts->reserve(size_t(num));
    Sync();
}

void MNMesh::FAlloc(int num, bool keep) {
    BeforeWrite(TOPO_CHANNEL, "FAlloc");
    if (!keep)
        m_topo->faces.clear();
    if (num > 0)
        m_topo->faces.reserve(size_t(num));
    Sync();
}

void MNMesh::EAlloc(int num, bool keep) {
    BeforeWrite(TOPO_CHANNEL, "EAlloc");
    if (!keep)
        m_topo->edges.clear();
    if (num > 0)
        m_topo->edges.reserve(size_t(num));
    Sync();
}

// Allocates the vertices' edge lists and builds the edges of the faces that
// exist already.
void MNMesh::VEdgeAlloc() {
    BeforeWrite(TOPO_CHANNEL, "VEdgeAlloc");
    m_topo->hasVertexEdges = true;
    RebuildEdges();
    Sync();
}

void MNMesh::RebuildEdges() {
    Topology& topo = *m_topo;
    topo.edges.clear();
    topo.vedg.assign(m_verts->size(), Tab<int>());
    for (int fi = 0; fi < int(topo.faces.size()); ++fi) {
        MNFace& face = topo.faces[size_t(fi)];
        for (int c = 0; c < face.deg; ++c)
            face.edg[c] = AddEdgeOfFace(face.vtx[c], face.vtx[(c + 1) % face.deg], fi);
    }
}

// The edge from a to b for face fc: an existing edge between them that has
// no second face yet takes fc as that face; otherwise a new edge.
int MNMesh::AddEdgeOfFace(int a, int b, int fc) {
    Topology& topo = *m_topo;
    if (a < 0 || b < 0 || size_t(a) >= topo.vedg.size() || size_t(b) >= topo.vedg.size())
        return -1;
    const Tab<int>& around = topo.vedg[size_t(a)];
    for (int k = 0; k < around.Count(); ++k) {
        MNEdge& edge = topo.edges[size_t(around[k])];
        if (edge.OtherVert(a) == b && (edge.v1 == a || edge.v2 == a) && edge.f2 < 0 && edge.f1 != fc) {
            edge.f2 = fc;
            return around[k];
        }
    }
    int ei = int(topo.edges.size());
    topo.edges.emplace_back(a, b, fc);
    topo.vedg[size_t(a)].Append(1, &ei);
    if (b != a)
        topo.vedg[size_t(b)].Append(1, &ei);
    return ei;
}

int MNMesh::FindEdgeFromVertToVert(int vrt1, int vrt2) {
    if (!GetFlag(MN_MESH_FILLED_IN) || vrt1 < 0 || size_t(vrt1) >= m_topo->vedg.size())
        return -1;
    const Tab<int>& around = m_topo->vedg[size_t(vrt1)];
    for (int k = 0; k < around.Count(); ++k) {
        const MNEdge& edge = m_topo->edges[size_t(around[k])];
        if ((edge.v1 == vrt1 && edge.v2 == vrt2) || (edge.v1 == vrt2 && edge.v2 == vrt1))
            return around[k];
    }
    return -1;
}

void MNMesh::VFaceAlloc() {
    BeforeWrite(TOPO_CHANNEL, "VFaceAlloc");
    Topology& topo = *m_topo;
    topo.vfac.assign(m_verts->size(), Tab<int>());
    for (int fi = 0; fi < int(topo.faces.size()); ++fi)
        for (int c = 0; c < topo.faces[size_t(fi)].deg; ++c) {
            const int vi = topo.faces[size_t(fi)].vtx[c];
            if (vi >= 0 && size_t(vi) < topo.vfac.size())
                topo.vfac[size_t(vi)].Append(1, const_cast<int*>(&fi));
        }
    topo.hasVertexFaces = true;
    Sync();
}

void MNMesh::setNumVerts(int nvnum) {
    BeforeWrite(GEOM_CHANNEL | TOPO_CHANNEL, "setNumVerts");
    m_verts->resize(size_t(nvnum > 0 ? nvnum : 0));
    if (m_topo->hasVertexEdges)
        m_topo->vedg.resize(m_verts->size());
    if (m_topo->hasVertexFaces)
        m_topo->vfac.resize(m_verts->size());
    Sync();
}

void MNMesh::setNumFaces(int nfnum) {
    BeforeWrite(TOPO_CHANNEL, "setNumFaces");
    m_topo->faces.resize(size_t(nfnum > 0 ? nfnum : 0));
    if (m_normals)
        m_normals->SetNumFaces(int(m_topo->faces.size()));
    Sync();
}

int MNMesh::NewVert(Point3& p) {
    BeforeWrite(m_topo->hasVertexEdges || m_topo->hasVertexFaces ? GEOM_CHANNEL | TOPO_CHANNEL : GEOM_CHANNEL,
                "NewVert");
    m_verts->emplace_back();
    m_verts->back().p = p;
    if (m_topo->hasVertexEdges)
        m_topo->vedg.emplace_back();
    if (m_topo->hasVertexFaces)
        m_topo->vfac.emplace_back();
    Sync();
    return numv - 1;
}

// A new face also gets a map face in every live channel and a place among
// the specified normals, so that those stay parallel to the faces.
int MNMesh::CreateFace(int degg, int* vv) {
    Topology& topo = *m_topo;
    if (!topo.hasVertexEdges || !topo.hasVertexFaces || degg < 3 || !vv)
        return -1;
    for (int c = 0; c < degg; ++c)
        if (vv[c] < 0 || vv[c] >= numv)
            return -1;
    BeforeWrite(TOPO_CHANNEL | (m_maps.empty() ? 0 : kMapChannels), "CreateFace");
    topo.faces.emplace_back();
    MNFace& face = topo.faces.back();
    face.MakePoly(degg, vv);
    int fi = int(topo.faces.size()) - 1;
    for (int c = 0; c < degg; ++c) {
        face.edg[c] = AddEdgeOfFace(vv[c], vv[(c + 1) % degg], fi);
        topo.vfac[size_t(vv[c])].Append(1, &fi);
    }
    for (auto& map : m_maps) {
        if (map->GetFlag(MN_DEAD) || map->numf != fi)
            continue;
        std::vector<int> tv(static_cast<size_t>(degg));
        for (int c = 0; c < degg; ++c)
            tv[size_t(c)] = vv[c] >= 0 && vv[c] < map->numv ? vv[c] : 0;
        map->NewFace(degg, tv.data());
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
    if (size_t(mpnum) == old)
        return;
    BeforeWrite(old == 0 || mpnum == 0 ? kMapChannels : TEXMAP_CHANNEL, "SetMapNum");
    m_maps.resize(size_t(mpnum));
    for (size_t i = old; i < m_maps.size(); ++i) {
        m_maps[i] = std::make_shared<MNMap>();
        m_maps[i]->SetFlag(MN_DEAD);
    }
    Sync();
}

// A channel starts as a copy of the geometry: one map vertex per vertex at
// its position, one map face per face with the same corners.
void MNMesh::InitMap(int mp) {
    MNMap* map = M(mp);
    if (!map)
        return;
    BeforeWrite(MapChannel(mp), "InitMap");
    map->ClearAndFree();
    map->ClearFlag(MN_DEAD);
    map->setNumVerts(numv);
    for (int i = 0; i < numv; ++i)
        map->v[i] = v[i].p;
    map->setNumFaces(numf);
    for (int fi = 0; fi < numf; ++fi)
        map->f[fi].MakePoly(f[fi].deg, f[fi].vtx);
}

void MNMesh::ClearMap(int mp) {
    MNMap* map = M(mp);
    if (!map)
        return;
    BeforeWrite(MapChannel(mp), "ClearMap");
    map->ClearAndFree();
    map->SetFlag(MN_DEAD);
}

MNMap* MNMesh::M(int mp) {
    if (mp < 0 || mp >= numm)
        return nullptr;
    return m_maps[size_t(mp)].get();
}

// Removes dead faces and vertices, renumbering what remains; map faces and
// specified-normal faces follow their faces.
void MNMesh::CollapseDeadStructs() {
    // A mesh with nothing dead is left as it is, without building a copy.
    std::vector<MNVert>& vertsNow = *m_verts;
    std::vector<MNFace>& facesNow = m_topo->faces;
    bool anyDead = false;
    for (size_t i = 0; i < vertsNow.size() && !anyDead; ++i)
        anyDead = vertsNow[i].GetFlag(MN_DEAD);
    for (size_t i = 0; i < facesNow.size() && !anyDead; ++i)
        anyDead = facesNow[i].GetFlag(MN_DEAD);
    if (!anyDead)
        return;
    BeforeWrite(TOPO_CHANNEL | GEOM_CHANNEL | kMapChannels, "CollapseDeadStructs");

    std::vector<int> vmap(vertsNow.size(), -1);
    std::vector<MNVert> verts;
    verts.reserve(vertsNow.size());
    for (size_t i = 0; i < vertsNow.size(); ++i)
        if (!vertsNow[i].GetFlag(MN_DEAD)) {
            vmap[i] = int(verts.size());
            verts.push_back(vertsNow[i]);
        }

    std::vector<bool> keepFace(facesNow.size());
    for (size_t i = 0; i < facesNow.size(); ++i)
        keepFace[i] = !facesNow[i].GetFlag(MN_DEAD);

    const size_t oldFaceCount = facesNow.size();
    std::vector<MNFace> faces;
    for (size_t i = 0; i < facesNow.size(); ++i) {
        if (!keepFace[i])
            continue;
        faces.push_back(facesNow[i]);
        MNFace& face = faces.back();
        for (int c = 0; c < face.deg; ++c)
            face.vtx[c] = face.vtx[c] >= 0 && size_t(face.vtx[c]) < vmap.size() ? vmap[size_t(face.vtx[c])] : -1;
    }
    for (auto& map : m_maps) {
        if (size_t(map->numf) != oldFaceCount)
            continue;
        std::vector<MNMapFace> kept;
        for (size_t i = 0; i < oldFaceCount; ++i)
            if (keepFace[i])
                kept.push_back(map->f[i]);
        map->setNumFaces(int(kept.size()));
        for (size_t i = 0; i < kept.size(); ++i)
            map->f[i] = kept[i];
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
    vertsNow.swap(verts);
    facesNow.swap(faces);
    Sync();
    if (m_topo->hasVertexEdges)
        RebuildEdges();
    if (m_topo->hasVertexFaces)
        VFaceAlloc();
    Sync();
}

void MNMesh::InvalidateGeomCache() {
    if (m_normals) {
        BeforeWrite(0, "InvalidateGeomCache"); // the flags are this mesh's own
        m_normals->ClearFlag(MNNORMAL_NORMALS_COMPUTED);
    }
}

// The edge and vertex caches are not valid once the cache flags are gone:
// they are dropped, so that nothing reads them before FillInMesh.
void MNMesh::InvalidateTopoCache(bool in_clearCacheFlags) {
    if (m_normals) {
        BeforeWrite(0, "InvalidateTopoCache");
        m_normals->ClearFlag(MNNORMAL_NORMALS_BUILT | MNNORMAL_NORMALS_COMPUTED);
    }
    if (!in_clearCacheFlags)
        return;
    BeforeWrite(TOPO_CHANNEL, "InvalidateTopoCache");
    ClearFlag(MN_MESH_CACHE_FLAGS);
    Topology& topo = *m_topo;
    topo.edges.clear();
    topo.vedg.clear();
    topo.vfac.clear();
    topo.hasVertexEdges = false;
    topo.hasVertexFaces = false;
    for (MNFace& face : topo.faces)
        for (int c = 0; c < face.deg; ++c)
            face.edg[c] = -1;
    Sync();
}

void MNMesh::FillInMesh() {
    BeforeWrite(TOPO_CHANNEL, "FillInMesh");
    m_topo->hasVertexEdges = true;
    RebuildEdges();
    VFaceAlloc();
    SetFlag(MN_MESH_FILLED_IN);
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
    const MNFace& face = f[fc];
    for (int c = 0; c < face.deg; ++c) {
        const int a = face.vtx[c], b = face.vtx[(c + 1) % face.deg];
        if (a < 0 || b < 0 || a >= numv || b >= numv)
            continue;
        const Point3& p = v[a].p;
        const Point3& q = v[b].p;
        n.x += (p.y - q.y) * (p.z + q.z);
        n.y += (p.z - q.z) * (p.x + q.x);
        n.z += (p.x - q.x) * (p.y + q.y);
    }
    return nrmlz ? n.Normalize() : n;
}

MNNormalSpec* MNMesh::GetSpecifiedNormals() {
    if (m_normals && m_normals->GetParent() == nullptr)
        m_normals->SetParent(this);
    return m_normals.get();
}

void MNMesh::SpecifyNormals() {
    if (m_normals)
        return;
    BeforeWrite(TOPO_CHANNEL | GEOM_CHANNEL, "SpecifyNormals");
    m_normals = std::make_shared<MNNormalSpec>();
    m_normals->SetParent(this);
}

void MNMesh::ClearSpecifiedNormals() {
    if (!m_normals)
        return;
    BeforeWrite(TOPO_CHANNEL | GEOM_CHANNEL, "ClearSpecifiedNormals");
    m_normals.reset();
}

void MNMesh::SetFromTri(const Mesh& from) {
    Clear();
    std::vector<MNVert>& verts = *m_verts;
    verts.resize(size_t(from.numVerts));
    for (int i = 0; i < from.numVerts; ++i)
        verts[size_t(i)].p = from.verts[i];
    std::vector<MNFace>& faces = m_topo->faces;
    faces.resize(size_t(from.numFaces));
    for (int i = 0; i < from.numFaces; ++i) {
        int vv[3] = {int(from.faces[i].v[0]), int(from.faces[i].v[1]), int(from.faces[i].v[2])};
        faces[size_t(i)].MakePoly(3, vv);
        faces[size_t(i)].smGroup = from.faces[i].smGroup;
        faces[size_t(i)].material = from.faces[i].getMatID();
    }
    Sync();
    FillInMesh();
}

// ---- Pipeline channels -------------------------------------------------------

void MNMesh::ShallowCopy(MNMesh* amesh, ChannelMask channels) {
    if (!amesh || amesh == this)
        return;
    if (channels & GEOM_CHANNEL) {
        m_verts = amesh->m_verts;
        m_borrowed |= GEOM_CHANNEL;
    }
    if (channels & TOPO_CHANNEL) {
        m_topo = amesh->m_topo;
        m_borrowed |= TOPO_CHANNEL;
        ClearFlag(MN_MESH_CACHE_FLAGS);
        SetFlag(amesh->ExportFlags() & MN_MESH_CACHE_FLAGS);
    }
    if (channels & kMapChannels) {
        if (m_maps.size() < amesh->m_maps.size())
            m_maps.resize(amesh->m_maps.size());
        for (size_t mp = 0; mp < amesh->m_maps.size(); ++mp)
            if (channels & MapChannel(int(mp)))
                m_maps[mp] = amesh->m_maps[mp];
        for (auto& map : m_maps)
            if (!map) {
                map = std::make_shared<MNMap>();
                map->SetFlag(MN_DEAD);
            }
        m_borrowed |= channels & kMapChannels;
    }
    // The specified normals are this mesh's own object; their arrays are shared as the
    // channels they go with.
    if ((channels & (TOPO_CHANNEL | GEOM_CHANNEL)) && amesh->m_normals) {
        if (!m_normals)
            m_normals = std::make_shared<MNNormalSpec>();
        m_normals->ShallowCopy(amesh->m_normals.get(), channels & (TOPO_CHANNEL | GEOM_CHANNEL));
    }
    Sync();
}

void MNMesh::NewAndCopyChannels(ChannelMask channels) {
    const ChannelMask copy = channels & m_borrowed;
    if (copy & GEOM_CHANNEL)
        m_verts = std::make_shared<std::vector<MNVert>>(*m_verts);
    if (copy & TOPO_CHANNEL)
        m_topo = std::make_shared<Topology>(*m_topo);
    for (size_t mp = 0; mp < m_maps.size(); ++mp)
        if (copy & MapChannel(int(mp)))
            m_maps[mp] = std::make_shared<MNMap>(*m_maps[mp]);
    if (m_normals)
        m_normals->NewAndCopyChannels(channels & (TOPO_CHANNEL | GEOM_CHANNEL));
    m_borrowed &= ~copy;
    Sync();
}

void MNMesh::FreeChannels(ChannelMask channels, BOOL) {
    if (channels & GEOM_CHANNEL)
        m_verts = std::make_shared<std::vector<MNVert>>();
    if (channels & TOPO_CHANNEL) {
        m_topo = std::make_shared<Topology>();
        ClearFlag(MN_MESH_CACHE_FLAGS);
    }
    for (size_t mp = 0; mp < m_maps.size(); ++mp)
        if (channels & MapChannel(int(mp))) {
            m_maps[mp] = std::make_shared<MNMap>();
            m_maps[mp]->SetFlag(MN_DEAD);
        }
    if (m_normals)
        m_normals->FreeChannels(channels & (TOPO_CHANNEL | GEOM_CHANNEL));
    m_borrowed &= ~(channels & (TOPO_CHANNEL | GEOM_CHANNEL | kMapChannels));
    Sync();
}

void MNMesh::Sync() {
    std::vector<MNVert>& verts = *m_verts;
    Topology& topo = *m_topo;
    numv = int(verts.size());
    numf = int(topo.faces.size());
    numm = int(m_maps.size());
    nume = int(topo.edges.size());
    v = verts.empty() ? nullptr : verts.data();
    f = topo.faces.empty() ? nullptr : topo.faces.data();
    e = topo.edges.empty() ? nullptr : topo.edges.data();
    vedg = topo.vedg.empty() ? nullptr : topo.vedg.data();
    vfac = topo.vfac.empty() ? nullptr : topo.vfac.data();
    if (m_normals)
        m_normals->SetParent(this);
}

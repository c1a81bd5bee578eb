#include "max.h"

#include "MNMesh.h"

MNMap::MNMap() : numv(0), numf(0), v(nullptr), f(nullptr) {}

MNMap::MNMap(const MNMap& from) : MNMap() {
    *this = from;
}

MNMap& MNMap::operator=(const MNMap& from) {
    if (this == &from)
        return *this;
    m_verts.assign(from.v, from.v + from.numv);
    m_faces.assign(from.f, from.f + from.numf);
    ImportFlags(from.ExportFlags());
    Sync();
    return *this;
}

MNMap::~MNMap() {}

void MNMap::Init() {
    ClearAndFree();
}

void MNMap::ClearAndFree() {
    std::vector<UVVert>().swap(m_verts);
    std::vector<MNMapFace>().swap(m_faces);
    Sync();
}

void MNMap::VAlloc(int num, bool keep) {
    if (!keep)
        m_verts.clear();
    if (num > 0)
        m_verts.reserve(size_t(num));
    Sync();
}

void MNMap::FAlloc(int num, bool keep) {
    if (!keep)
        m_faces.clear();
    if (num > 0)
        m_faces.reserve(size_t(num));
    Sync();
}

void MNMap::setNumVerts(int nvnum) {
    m_verts.resize(size_t(nvnum > 0 ? nvnum : 0));
    Sync();
}

void MNMap::setNumFaces(int nfnum) {
    m_faces.resize(size_t(nfnum > 0 ? nfnum : 0));
    Sync();
}

int MNMap::NewVert(UVVert p, int uoff, int voff) {
    p.x += float(uoff);
    p.y += float(voff);
    m_verts.push_back(p);
    Sync();
    return numv - 1;
}

int MNMap::NewTri(int a, int b, int c) {
    int vv[3] = {a, b, c};
    return NewFace(3, vv);
}

int MNMap::NewFace(int degg, int* vv) {
    m_faces.emplace_back();
    m_faces.back().MakePoly(degg, vv);
    Sync();
    return numf - 1;
}

void MNMap::Sync() {
    numv = int(m_verts.size());
    numf = int(m_faces.size());
    v = m_verts.empty() ? nullptr : m_verts.data();
    f = m_faces.empty() ? nullptr : m_faces.data();
}

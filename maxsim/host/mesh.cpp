#include "max.h"

#include "mesh.h"

Mesh::Mesh() : numVerts(0), numFaces(0), verts(nullptr), faces(nullptr) {}
Mesh::Mesh(const Mesh& from) : Mesh() {
    *this = from;
}
Mesh::~Mesh() {}

Mesh& Mesh::operator=(const Mesh& from) {
    if (this == &from)
        return *this;
    m_verts.assign(from.verts, from.verts + from.numVerts);
    m_faces.assign(from.faces, from.faces + from.numFaces);
    Sync();
    return *this;
}

BOOL Mesh::setNumVerts(int ct, BOOL keep, BOOL) {
    if (!keep)
        m_verts.clear();
    m_verts.resize(size_t(ct > 0 ? ct : 0));
    Sync();
    return TRUE;
}

BOOL Mesh::setNumFaces(int ct, BOOL keep, DWORD) {
    if (!keep)
        m_faces.clear();
    m_faces.resize(size_t(ct > 0 ? ct : 0));
    Sync();
    return TRUE;
}

void Mesh::Sync() {
    numVerts = int(m_verts.size());
    numFaces = int(m_faces.size());
    verts = m_verts.empty() ? nullptr : m_verts.data();
    faces = m_faces.empty() ? nullptr : m_faces.data();
}

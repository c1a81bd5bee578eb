#include "max.h"

#include "MNMesh.h"

MNFace::MNFace() : deg(0), vtx(nullptr), edg(nullptr), smGroup(0), material(0) {}

MNFace::MNFace(int d) : MNFace() {
    SetDeg(d);
}

MNFace::MNFace(const MNFace& from) : MNFace() {
    *this = from;
}

MNFace::~MNFace() {
    Clear();
}

MNFace& MNFace::operator=(const MNFace& from) {
    if (this == &from)
        return *this;
    SetDeg(from.deg);
    for (int i = 0; i < deg; ++i) {
        vtx[i] = from.vtx[i];
        edg[i] = from.edg[i];
    }
    smGroup = from.smGroup;
    material = from.material;
    ImportFlags(from.ExportFlags());
    return *this;
}

void MNFace::Init() {
    Clear();
    smGroup = 0;
    material = 0;
    ClearAllFlags();
}

void MNFace::Clear() {
    delete[] vtx;
    delete[] edg;
    vtx = edg = nullptr;
    deg = 0;
}

void MNFace::SetDeg(int d) {
    if (d < 0)
        d = 0;
    if (d == deg)
        return;
    int* nv = d ? new int[size_t(d)] : nullptr;
    int* ne = d ? new int[size_t(d)] : nullptr;
    for (int i = 0; i < d; ++i) {
        nv[i] = i < deg ? vtx[i] : -1;
        ne[i] = -1;
    }
    delete[] vtx;
    delete[] edg;
    vtx = nv;
    edg = ne;
    deg = d;
}

void MNFace::MakePoly(int fdeg, int* vv) {
    SetDeg(fdeg);
    for (int i = 0; i < fdeg; ++i)
        vtx[i] = vv[i];
}

int MNFace::VertIndex(int vv) const {
    for (int i = 0; i < deg; ++i)
        if (vtx[i] == vv)
            return i;
    return -1;
}

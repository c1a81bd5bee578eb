#include "max.h"

#include "MNMesh.h"

MNMapFace::MNMapFace() : deg(0), tv(nullptr) {}
MNMapFace::MNMapFace(int d) : MNMapFace() {
    SetSize(d);
}
MNMapFace::MNMapFace(const MNMapFace& from) : MNMapFace() {
    *this = from;
}
MNMapFace::~MNMapFace() {
    Clear();
}

MNMapFace& MNMapFace::operator=(const MNMapFace& from) {
    if (this == &from)
        return *this;
    SetSize(from.deg);
    for (int i = 0; i < deg; ++i)
        tv[i] = from.tv[i];
    ImportFlags(from.ExportFlags());
    return *this;
}

void MNMapFace::Init() {
    Clear();
}

void MNMapFace::Clear() {
    delete[] tv;
    tv = nullptr;
    deg = 0;
}

void MNMapFace::SetSize(int d) {
    if (d < 0)
        d = 0;
    if (d == deg)
        return;
    int* n = d ? new int[size_t(d)] : nullptr;
    for (int i = 0; i < d; ++i)
        n[i] = i < deg ? tv[i] : 0;
    delete[] tv;
    tv = n;
    deg = d;
}

void MNMapFace::MakePoly(int fdeg, int* tt) {
    SetSize(fdeg);
    for (int i = 0; i < fdeg; ++i)
        tv[i] = tt[i];
}

#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "mesh.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "coreexp.h"
#include "maxheap.h"
#include "maxtypes.h"
#include "point3.h"
#include <vector>

// A triangle of a Mesh. The material id lives in the high 16 bits of flags.
class Face : public MaxHeapOperators {
public:
    DWORD v[3];
    DWORD smGroup;
    DWORD flags;

    Face() : smGroup(0), flags(0) { v[0] = v[1] = v[2] = 0; }
    void setVerts(int a, int b, int c) {
        v[0] = DWORD(a);
        v[1] = DWORD(b);
        v[2] = DWORD(c);
    }
    void setSmGroup(DWORD i) { smGroup = i; }
    DWORD getSmGroup() const { return smGroup; }
    void setMatID(MtlID id) { flags = (flags & 0xFFFF) | (DWORD(id) << 16); }
    MtlID getMatID() const { return MtlID((flags >> 16) & 0xFFFF); }
    DWORD getVert(int index) const { return v[index]; }
};

// The host's triangle mesh.
class CoreExport Mesh : public MaxHeapOperators {
public:
    int numVerts;
    int numFaces;
    Point3* verts;
    Face* faces;

    Mesh();
    Mesh(const Mesh& from);
    ~Mesh();
    Mesh& operator=(const Mesh& from);

    BOOL setNumVerts(int ct, BOOL keep = FALSE, BOOL synchCache = TRUE);
    BOOL setNumFaces(int ct, BOOL keep = FALSE, DWORD oldCt = 0);
    int getNumVerts() const { return numVerts; }
    int getNumFaces() const { return numFaces; }
    void setVert(int i, const Point3& xyz) { verts[i] = xyz; }
    Point3& getVert(int i) { return verts[i]; }
    void InvalidateGeomCache() {}
    void InvalidateTopologyCache() {}

private:
    void Sync();

    std::vector<Point3> m_verts;
    std::vector<Face> m_faces;
};

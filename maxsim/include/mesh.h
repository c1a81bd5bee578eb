#pragma once
#include <vector>
#include "Face.h"
#include "maxexport.h"
#include "point3.h"

// The host's triangle mesh.
class CoreExport Mesh : public MaxHeapOperators
{
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

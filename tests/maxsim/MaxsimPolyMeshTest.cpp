#include "MaxsimFixture.h"

using MaxsimPolyMeshTest = MaxsimTest;

TEST_F(MaxsimPolyMeshTest, FacesKeepTheirDegreeCornersAndMaterialId) {
    PolyObject* p = NewQuadAndTriangle();
    MNMesh& mm = p->mm;
    ASSERT_EQ(mm.numf, 2);
    EXPECT_EQ(mm.F(0)->deg, 4);
    EXPECT_EQ(mm.F(1)->deg, 3);
    EXPECT_EQ(mm.F(1)->vtx[1], 4);
    mm.F(1)->material = 0xFFFF;
    EXPECT_EQ(mm.F(1)->material, 0xFFFF);
    p->DeleteThis();
}

TEST_F(MaxsimPolyMeshTest, NewChannelsAreDeadUntilInitialised) {
    PolyObject* p = NewQuadAndTriangle();
    MNMesh& mm = p->mm;
    mm.SetMapNum(3);
    ASSERT_EQ(mm.MNum(), 3);
    for (int c = 0; c < 3; ++c)
        EXPECT_TRUE(mm.M(c)->GetFlag(MN_DEAD));
    EXPECT_EQ(MN_DEAD, 2);
    mm.InitMap(2);
    EXPECT_FALSE(mm.M(2)->GetFlag(MN_DEAD));
    EXPECT_EQ(mm.M(2)->numf, mm.numf);
    EXPECT_EQ(mm.M(2)->f[1].deg, 3);
    EXPECT_EQ(mm.M(1)->numv, 0);
    EXPECT_EQ(mm.M(3), nullptr);
    EXPECT_EQ(mm.M(-1), nullptr);
    p->DeleteThis();
}

TEST_F(MaxsimPolyMeshTest, ADeadChannelStaysInPlaceWhenDeadPartsAreRemoved) {
    PolyObject* p = NewQuadAndTriangle();
    MNMesh& mm = p->mm;
    mm.SetMapNum(3);
    mm.InitMap(2);
    mm.M(2)->v[4] = UVVert(0.5f, 0.25f, 0.0f);
    mm.F(0)->SetFlag(MN_DEAD);
    mm.V(0)->SetFlag(MN_DEAD);
    mm.V(3)->SetFlag(MN_DEAD);
    mm.CollapseDeadStructs();
    ASSERT_EQ(mm.MNum(), 3);
    EXPECT_TRUE(mm.M(1)->GetFlag(MN_DEAD));
    EXPECT_FALSE(mm.M(2)->GetFlag(MN_DEAD));
    ASSERT_EQ(mm.numf, 1);
    ASSERT_EQ(mm.numv, 3);
    // The triangle (1,4,2) is renumbered to the remaining vertices.
    EXPECT_EQ(mm.F(0)->vtx[0], 0);
    EXPECT_EQ(mm.F(0)->vtx[1], 2);
    EXPECT_EQ(mm.F(0)->vtx[2], 1);
    ASSERT_EQ(mm.M(2)->numf, 1);
    EXPECT_EQ(mm.M(2)->f[0].tv[1], 4);
    EXPECT_EQ(mm.M(2)->v[4], UVVert(0.5f, 0.25f, 0.0f));
    p->DeleteThis();
}

// A dead vertex alone or a dead face alone is enough to collapse; with
// nothing dead the mesh keeps its very arrays.
TEST_F(MaxsimPolyMeshTest, CollapsingNeedsOneDeadPartAndKeepsALiveMesh) {
    PolyObject* p = NewQuadAndTriangle();
    MNMesh& mm = p->mm;
    const int verts = mm.numv;
    const int faces = mm.numf;
    MNFace* const faceArray = mm.f;
    mm.CollapseDeadStructs();
    EXPECT_EQ(mm.numv, verts);
    EXPECT_EQ(mm.numf, faces);
    EXPECT_EQ(mm.f, faceArray) << "nothing dead, nothing rebuilt";

    Point3 spare(9.0f, 9.0f, 9.0f);
    const int unused = mm.NewVert(spare);
    mm.V(unused)->SetFlag(MN_DEAD);
    mm.CollapseDeadStructs();
    EXPECT_EQ(mm.numv, verts);
    EXPECT_EQ(mm.numf, faces);

    mm.F(0)->SetFlag(MN_DEAD);
    mm.CollapseDeadStructs();
    EXPECT_EQ(mm.numv, verts);
    EXPECT_EQ(mm.numf, faces - 1);
    p->DeleteThis();
}

TEST_F(MaxsimPolyMeshTest, FacesCreatedLaterGetMapFacesAndNormalFaces) {
    PolyObject* p = NewQuadAndTriangle();
    MNMesh& mm = p->mm;
    mm.SetMapNum(2);
    mm.InitMap(1);
    mm.SpecifyNormals();
    int tri[3] = {0, 1, 3};
    mm.CreateFace(3, tri);
    EXPECT_EQ(mm.M(1)->numf, 3);
    EXPECT_EQ(mm.M(1)->f[2].deg, 3);
    EXPECT_EQ(mm.M(0)->numf, 0);
    ASSERT_EQ(mm.GetSpecifiedNormals()->GetNumFaces(), 3);
    EXPECT_EQ(mm.GetSpecifiedNormals()->Face(2).GetDegree(), 3);
    p->DeleteThis();
}

// A new normal set has no normal faces, and building does nothing until
// they are allocated; building then also computes the normals.
TEST_F(MaxsimPolyMeshTest, BuiltNormalsNeedNormalFacesAndFollowSmoothingGroups) {
    PolyObject* p = NewQuadAndTriangle();
    MNMesh& mm = p->mm;
    mm.SpecifyNormals();
    MNNormalSpec* normalSpec = mm.GetSpecifiedNormals();
    ASSERT_NE(normalSpec, nullptr);
    EXPECT_EQ(normalSpec->GetNumFaces(), 0);
    normalSpec->BuildNormals();
    normalSpec->CheckNormals();
    EXPECT_EQ(normalSpec->GetNumNormals(), 0);
    EXPECT_FALSE(normalSpec->GetFlag(MNNORMAL_NORMALS_BUILT));

    normalSpec->SetNumFaces(mm.numf);
    normalSpec->BuildNormals();
    EXPECT_TRUE(normalSpec->GetFlag(MNNORMAL_NORMALS_BUILT));
    EXPECT_TRUE(normalSpec->GetFlag(MNNORMAL_NORMALS_COMPUTED));
    // Without smoothing groups every corner has a normal of its own.
    EXPECT_EQ(normalSpec->GetNumNormals(), 7);
    ExpectNear(normalSpec->Normal(normalSpec->GetNormalIndex(1, 2)), Point3(0, 0, 1));

    mm.F(0)->smGroup = 1;
    mm.F(1)->smGroup = 1;
    mm.InvalidateTopoCache();
    normalSpec->CheckNormals();
    // Shared vertices 1 and 2 share their normals: 5 vertices, 5 normals.
    EXPECT_EQ(normalSpec->GetNumNormals(), 5);
    EXPECT_EQ(normalSpec->GetNormalIndex(0, 1), normalSpec->GetNormalIndex(1, 0));
    mm.ClearSpecifiedNormals();
    EXPECT_EQ(mm.GetSpecifiedNormals(), nullptr);
    p->DeleteThis();
}

// CheckNormals does what the flags ask: with the list built and only the
// directions out of date, it computes them again and keeps the list.
TEST_F(MaxsimPolyMeshTest, CheckNormalsOnlyComputesWhenTheListIsBuilt) {
    PolyObject* p = NewQuadAndTriangle();
    MNMesh& mm = p->mm;
    mm.SpecifyNormals();
    MNNormalSpec* spec = mm.GetSpecifiedNormals();
    spec->SetNumFaces(mm.numf);
    spec->CheckNormals();
    ASSERT_EQ(spec->GetNumNormals(), 7);
    // Faces that now share a smoothing group would share normals if the list
    // were built again; with only the geometry out of date it is not.
    mm.F(0)->smGroup = 1;
    mm.F(1)->smGroup = 1;
    mm.P(4) = Point3(3, 0, 1);
    mm.InvalidateGeomCache();
    EXPECT_TRUE(spec->GetFlag(MNNORMAL_NORMALS_BUILT));
    spec->CheckNormals();
    EXPECT_EQ(spec->GetNumNormals(), 7);
    EXPECT_GT(Length(spec->Normal(spec->GetNormalIndex(1, 1)) - Point3(0, 0, 1)), 0.1f);
    p->DeleteThis();
}

TEST_F(MaxsimPolyMeshTest, ExplicitNormalsSurviveRebuilding) {
    PolyObject* p = NewQuadAndTriangle();
    MNMesh& mm = p->mm;
    mm.SpecifyNormals();
    MNNormalSpec* normalSpec = mm.GetSpecifiedNormals();
    normalSpec->SetParent(&mm);
    normalSpec->SetNumFaces(mm.numf);
    normalSpec->CheckNormals();
    normalSpec->SetNumNormals(2);
    normalSpec->MakeNormalsExplicit(false, nullptr, true);
    normalSpec->Normal(0) = Point3(1, 0, 0);
    normalSpec->Normal(1) = Point3(0, 2, 0);
    const int corners[7] = {0, 1, 1, 0, 1, 1, 0};
    int k = 0;
    for (int f = 0; f < mm.numf; ++f)
        for (int c = 0; c < mm.F(f)->deg; ++c)
            normalSpec->SetNormalIndex(f, c, corners[k++]);
    mm.InvalidateGeomCache();
    mm.InvalidateTopoCache(true);
    normalSpec->CheckNormals();
    ASSERT_EQ(normalSpec->GetNumNormals(), 2);
    EXPECT_EQ(normalSpec->Normal(1), Point3(0, 2, 0));
    EXPECT_EQ(normalSpec->GetNormalIndex(1, 0), 1);
    EXPECT_TRUE(normalSpec->Face(1).GetSpecified(0));

    // Copies carry their normals.
    MNMesh copy(mm);
    ASSERT_NE(copy.GetSpecifiedNormals(), nullptr);
    EXPECT_EQ(copy.GetSpecifiedNormals()->Normal(0), Point3(1, 0, 0));
    EXPECT_EQ(copy.GetSpecifiedNormals()->GetParent(), &copy);
    p->DeleteThis();
}

// CreateFace enters the face into the vertices' edge and face lists; without
// them (VEdgeAlloc, VFaceAlloc) the host refuses the face.
TEST_F(MaxsimPolyMeshTest, CreateFaceNeedsTheVertexEdgeAndFaceLists) {
    struct Case {
        bool edges, faces;
    };
    for (const Case c : {Case{false, false}, Case{true, false}, Case{false, true}}) {
        PolyObject* p = NewPoly();
        MNMesh& mm = p->mm;
        for (int i = 0; i < 3; ++i) {
            Point3 v(float(i), float(i * i), 0.0f);
            mm.NewVert(v);
        }
        mm.FAlloc(1);
        if (c.edges)
            mm.VEdgeAlloc();
        if (c.faces)
            mm.VFaceAlloc();
        int tri[3] = {0, 1, 2};
        EXPECT_EQ(mm.CreateFace(3, tri), -1) << "edges " << c.edges << " faces " << c.faces;
        EXPECT_EQ(mm.numf, 0);
        p->DeleteThis();
    }
}

TEST_F(MaxsimPolyMeshTest, CreateFaceRefusesVerticesOutsideTheMeshAndDegreesBelowThree) {
    PolyObject* p = NewQuadAndTriangle();
    MNMesh& mm = p->mm;
    int outside[3] = {0, 1, 5};
    int negative[3] = {0, -1, 2};
    int two[2] = {0, 1};
    EXPECT_EQ(mm.CreateFace(3, outside), -1);
    EXPECT_EQ(mm.CreateFace(3, negative), -1);
    EXPECT_EQ(mm.CreateFace(2, two), -1);
    EXPECT_EQ(mm.numf, 2);
    p->DeleteThis();
}

// A quad and a triangle sharing the edge 1-2: six edges, the shared one with
// a face on each side, and every face corner naming its edge.
TEST_F(MaxsimPolyMeshTest, FacesBuildSharedEdges) {
    PolyObject* p = NewQuadAndTriangle();
    MNMesh& mm = p->mm;
    ASSERT_EQ(mm.nume, 6);
    const int shared = mm.FindEdgeFromVertToVert(2, 1);
    ASSERT_GE(shared, 0);
    EXPECT_EQ(mm.E(shared)->f1, 0);
    EXPECT_EQ(mm.E(shared)->f2, 1);
    EXPECT_EQ(mm.F(0)->edg[1], shared);
    EXPECT_EQ(mm.F(1)->edg[2], shared);
    const int border = mm.FindEdgeFromVertToVert(0, 3);
    ASSERT_GE(border, 0);
    EXPECT_EQ(mm.E(border)->f2, -1);
    EXPECT_EQ(mm.FindEdgeFromVertToVert(0, 2), -1);
    ASSERT_NE(mm.vfac, nullptr);
    EXPECT_EQ(mm.vfac[2].Count(), 2);
    EXPECT_EQ(mm.vedg[2].Count(), 3);

    // Invalidated topology takes the edge and vertex lists with it until the
    // mesh is filled in again.
    mm.InvalidateTopoCache(true);
    EXPECT_FALSE(mm.GetFlag(MN_MESH_FILLED_IN));
    EXPECT_EQ(mm.nume, 0);
    EXPECT_EQ(mm.vfac, nullptr);
    EXPECT_EQ(mm.FindEdgeFromVertToVert(2, 1), -1);
    mm.FillInMesh();
    EXPECT_TRUE(mm.GetFlag(MN_MESH_FILLED_IN));
    EXPECT_EQ(mm.nume, 6);
    EXPECT_EQ(mm.FindEdgeFromVertToVert(2, 1), shared);
    p->DeleteThis();
}

// A triangle mesh converted to poly has its topology filled in, so faces can
// be added to the copy.
TEST_F(MaxsimPolyMeshTest, AConvertedTriangleMeshHasItsEdges) {
    Mesh tri;
    tri.setNumVerts(4);
    for (int i = 0; i < 4; ++i)
        tri.setVert(i, Point3(float(i & 1), float(i >> 1), 0.0f));
    tri.setNumFaces(2);
    tri.faces[0].setVerts(0, 1, 3);
    tri.faces[1].setVerts(0, 3, 2);
    MNMesh mm(tri);
    EXPECT_EQ(mm.nume, 5);
    int extra[3] = {1, 2, 3};
    EXPECT_EQ(mm.CreateFace(3, extra), 2);
}

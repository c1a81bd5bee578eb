#include "DemoScene.h"

#include <cmath>
#include <vector>

#include "max.h"

#include "HostInterface.h"
#include "PrimitiveObject.h"
#include "imtl.h"
#include "inode.h"
#include "iparamb2.h"
#include "iskin.h"
#include "istdplug.h"
#include "modstack.h"
#include "polyobj.h"
#include "stdmat.h"
#include "triobj.h"

namespace maxsim {
namespace {
const int kRings = 7; // along x, from 0 to 30
const int kSides = 8; // around the tube
const float kLength = 30.0f;
const float kRadius = 2.0f;
const float kPi = 3.14159265358979f;

// A bone at `at`, rolled about its own x axis (the chain's direction) by
// `roll` radians, so that its transform is not symmetric.
INode* MakeBone(HostInterface& host, const char* name, INode* parent, const Point3& at, float roll) {
    Object* obj = static_cast<Object*>(host.CreateInstance(GEOMOBJECT_CLASS_ID, BONE_OBJ_CLASSID));
    INode* node = host.CreateObjectNode(obj, name);
    node->SetBoneNodeOnOff(TRUE, host.GetTime());
    node->SetBoneAutoAlign(TRUE);
    node->SetBoneFreezeLen(TRUE);
    node->SetBoneScaleType(BONE_SCALETYPE_SCALE);
    node->SetBoneAxis(BONE_AXIS_X);
    Matrix3 tm = RotateXMatrix(roll);
    tm.SetTrans(at);
    node->SetNodeTM(host.GetTime(), tm);
    if (parent) {
        parent->AttachChild(node, TRUE);
        parent->ResetBoneStretch(host.GetTime());
    }
    return node;
}

void BuildTube(MNMesh& mm) {
    mm.VAlloc(kRings * kSides);
    for (int r = 0; r < kRings; ++r)
        for (int s = 0; s < kSides; ++s) {
            const float a = 2.0f * kPi * float(s) / float(kSides);
            Point3 p(kLength * float(r) / float(kRings - 1), kRadius * std::cos(a), kRadius * std::sin(a));
            mm.NewVert(p);
        }
    mm.FAlloc((kRings - 1) * kSides);
    mm.VEdgeAlloc();
    mm.VFaceAlloc();
    for (int r = 0; r + 1 < kRings; ++r)
        for (int s = 0; s < kSides; ++s) {
            const int s1 = (s + 1) % kSides;
            int quad[4] = {r * kSides + s, r * kSides + s1, (r + 1) * kSides + s1, (r + 1) * kSides + s};
            const int f = mm.CreateFace(4, quad);
            // The first two segments use sub-material 0, the middle two 1,
            // the last two the empty slot 2.
            mm.F(f)->material = MtlID(r / 2);
            mm.F(f)->smGroup = 1;
        }

    // Channel 1: a cylindrical unwrap with a seam column; channel 2: a
    // planar projection onto the xy plane.
    mm.SetMapNum(3);
    mm.InitMap(1);
    MNMap* wrap = mm.M(1);
    wrap->setNumVerts(kRings * (kSides + 1));
    for (int r = 0; r < kRings; ++r)
        for (int s = 0; s <= kSides; ++s)
            wrap->v[r * (kSides + 1) + s] = UVVert(float(s) / float(kSides), float(r) / float(kRings - 1), 0.0f);
    for (int r = 0; r + 1 < kRings; ++r)
        for (int s = 0; s < kSides; ++s) {
            int tv[4] = {r * (kSides + 1) + s, r * (kSides + 1) + s + 1, (r + 1) * (kSides + 1) + s + 1,
                         (r + 1) * (kSides + 1) + s};
            wrap->f[r * kSides + s].MakePoly(4, tv);
        }
    mm.InitMap(2);
    MNMap* planar = mm.M(2);
    for (int i = 0; i < planar->numv; ++i)
        planar->v[i] = UVVert(mm.P(i).x / kLength, (mm.P(i).y + kRadius) / (2.0f * kRadius), 0.0f);

    // Explicit normals: each vertex's radial direction.
    mm.SpecifyNormals();
    MNNormalSpec* normals = mm.GetSpecifiedNormals();
    normals->SetParent(&mm);
    normals->SetNumFaces(mm.numf);
    normals->CheckNormals();
    normals->SetNumNormals(mm.numv);
    normals->MakeNormalsExplicit(false, nullptr, true);
    for (int i = 0; i < mm.numv; ++i)
        normals->Normal(i) = Point3(0.0f, mm.P(i).y, mm.P(i).z).Normalize();
    for (int f = 0; f < mm.numf; ++f)
        for (int c = 0; c < mm.F(f)->deg; ++c)
            normals->SetNormalIndex(f, c, mm.F(f)->vtx[c]);
    mm.InvalidateGeomCache();
    mm.InvalidateTopoCache(true);
    mm.FillInMesh();
    mm.PrepForPipeline();
}

// Smooth weights: each bone's influence falls off linearly over one bone
// length from its middle.
std::vector<float> RingWeights(float x) {
    std::vector<float> w(3);
    float total = 0.0f;
    for (int b = 0; b < 3; ++b) {
        const float centre = 5.0f + 10.0f * float(b);
        w[size_t(b)] = std::fmax(0.0f, 1.0f - std::fabs(x - centre) / 10.0f);
        total += w[size_t(b)];
    }
    for (float& v : w)
        v /= total;
    return w;
}

INode* BuildCrate(HostInterface& host) {
    TriObject* box = static_cast<TriObject*>(
        static_cast<Object*>(host.CreateInstance(GEOMOBJECT_CLASS_ID, Class_ID(TRIOBJ_CLASS_ID, 0))));
    Mesh& mesh = box->mesh;
    mesh.setNumVerts(8);
    for (int i = 0; i < 8; ++i)
        mesh.setVert(i, Point3((i & 1) ? 2.0f : -2.0f, (i & 2) ? 12.0f : 8.0f, (i & 4) ? 2.0f : -2.0f));
    static const int tris[12][3] = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4},
                                    {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}};
    mesh.setNumFaces(12);
    for (int i = 0; i < 12; ++i)
        mesh.faces[i].setVerts(tris[i][0], tris[i][1], tris[i][2]);
    INode* boxNode = host.CreateObjectNode(box, "Crate");
    StdMat2* crateMtl = NewDefaultStdMat();
    crateMtl->SetName(TSTR("Wood"));
    boxNode->SetMtl(crateMtl);
    return boxNode;
}

// A triangular prism under `parent`: an object offset with rotation and
// non-uniform scale, explicit normals that are not of unit length, map
// channels 1 and 3 live with the dead channel 2 between them, and a face
// whose material id is beyond its multi/sub-object material's two slots.
void BuildWedge(HostInterface& host, INode* parent) {
    const TimeValue t = host.GetTime();
    PolyObject* wedge = static_cast<PolyObject*>(
        static_cast<Object*>(host.CreateInstance(GEOMOBJECT_CLASS_ID, Class_ID(POLYOBJ_CLASS_ID, 0))));
    MNMesh& mm = wedge->mm;
    static const float corners[6][3] = {{0, 0, 0}, {4, 0, 0}, {0, 3, 0}, {0, 0, 2}, {4, 0, 2}, {0, 3, 2}};
    mm.VAlloc(6);
    for (const auto& c : corners) {
        Point3 p(c[0], c[1], c[2]);
        mm.NewVert(p);
    }
    int bottom[3] = {0, 2, 1};
    int top[3] = {3, 4, 5};
    int front[4] = {0, 1, 4, 3};
    int slope[4] = {1, 2, 5, 4};
    int back[4] = {2, 0, 3, 5};
    int* faces[5] = {bottom, top, front, slope, back};
    const int degrees[5] = {3, 3, 4, 4, 4};
    const MtlID ids[5] = {0, 0, 1, 1, 5};
    mm.FAlloc(5);
    mm.VEdgeAlloc();
    mm.VFaceAlloc();
    for (int f = 0; f < 5; ++f) {
        const int fi = mm.CreateFace(degrees[f], faces[f]);
        mm.F(fi)->material = ids[f];
        mm.F(fi)->smGroup = 0;
    }
    mm.FillInMesh();

    mm.SetMapNum(4);
    mm.InitMap(1);
    mm.InitMap(3);
    for (int i = 0; i < mm.M(3)->numv; ++i)
        mm.M(3)->v[i] = UVVert(mm.P(i).x / 4.0f, mm.P(i).z / 2.0f, 0.0f);

    // One explicit normal per face, 2.5 long.
    mm.SpecifyNormals();
    MNNormalSpec* normals = mm.GetSpecifiedNormals();
    normals->SetParent(&mm);
    normals->SetNumFaces(mm.numf);
    normals->CheckNormals();
    normals->SetNumNormals(mm.numf);
    normals->MakeNormalsExplicit(false, nullptr, true);
    for (int f = 0; f < mm.numf; ++f) {
        normals->Normal(f) = mm.GetFaceNormal(f, true) * 2.5f;
        for (int c = 0; c < mm.F(f)->deg; ++c)
            normals->SetNormalIndex(f, c, f);
    }
    mm.InvalidateGeomCache();
    mm.InvalidateTopoCache(true);
    mm.FillInMesh();
    mm.PrepForPipeline();

    INode* node = host.CreateObjectNode(wedge, "Wedge");
    parent->AttachChild(node, TRUE);
    Matrix3 tm = parent->GetNodeTM(t);
    tm.PreTranslate(Point3(5.0f, 0.0f, 0.0f));
    node->SetNodeTM(t, tm);
    node->SetObjOffsetPos(Point3(1.0f, 2.0f, 3.0f));
    node->SetObjOffsetRot(QFromAngAxis(kPi / 3.0f, Point3(1.0f, 1.0f, 0.0f).Normalize()));
    node->SetObjOffsetScale(ScaleValue(Point3(2.0f, 0.5f, 1.5f)));

    MultiMtl* multi = NewDefaultMultiMtl();
    multi->SetName(TSTR("WedgeMaterials"));
    multi->SetNumSubMtls(2);
    StdMat2* stone = NewDefaultStdMat();
    stone->SetName(TSTR("Stone"));
    StdMat2* moss = NewDefaultStdMat();
    moss->SetName(TSTR("Moss"));
    multi->SetSubMtl(0, stone);
    multi->SetSubMtl(1, moss);
    node->SetMtl(multi);
}
} // namespace

void DemoScene::Build(HostInterface& host) {
    const TimeValue t = host.GetTime();

    // The bones are bound rolled, so a transform read with rows and columns
    // mixed up differs from the right one.
    INode* bone1 = MakeBone(host, "Bone01", nullptr, Point3(0.0f, 0.0f, 0.0f), kPi / 2.0f);
    INode* bone2 = MakeBone(host, "Bone02", bone1, Point3(10.0f, 0.0f, 0.0f), kPi / 4.0f);
    INode* bone3 = MakeBone(host, "Bone03", bone2, Point3(20.0f, 0.0f, 0.0f), -kPi / 6.0f);
    INode* tip = MakeBone(host, "Bone03_End", bone3, Point3(30.0f, 0.0f, 0.0f), 0.0f);
    (void)tip;

    PolyObject* tube = static_cast<PolyObject*>(
        static_cast<Object*>(host.CreateInstance(GEOMOBJECT_CLASS_ID, Class_ID(POLYOBJ_CLASS_ID, 0))));
    BuildTube(tube->mm);
    INode* tubeNode = host.CreateObjectNode(tube, "Tube");
    INode* boxNode = BuildCrate(host);
    // The node stands one unit up and its object one unit down again, so
    // the object transform differs from the node transform.
    Matrix3 tubeTM(TRUE);
    tubeTM.SetTrans(Point3(0.0f, 0.0f, 1.0f));
    tubeNode->SetNodeTM(t, tubeTM);
    tubeNode->SetObjOffsetPos(Point3(0.0f, 0.0f, -1.0f));

    MultiMtl* multi = NewDefaultMultiMtl();
    TSTR multiName("TubeMaterials");
    multi->SetName(multiName);
    multi->SetNumSubMtls(3);
    StdMat2* skinMtl = NewDefaultStdMat();
    skinMtl->SetName(TSTR("Skin"));
    StdMat2* clothMtl = NewDefaultStdMat();
    clothMtl->SetName(TSTR("Cloth"));
    multi->SetSubMtl(0, skinMtl);
    multi->SetSubMtl(1, clothMtl);
    tubeNode->SetMtl(multi);

    IDerivedObject* derived = CreateDerivedObject(tube);
    Modifier* skin = static_cast<Modifier*>(host.CreateInstance(OSM_CLASS_ID, SKIN_CLASSID));
    derived->AddModifier(skin);
    tubeNode->SetObjectRef(derived);
    ISkinImportData* import = static_cast<ISkinImportData*>(skin->GetInterface(I_SKINIMPORTDATA));
    // The crate is an ordinary mesh and a bone of the tube's skin as well
    // (one without weights).
    INode* bones[4] = {bone1, bone2, bone3, boxNode};
    for (int b = 0; b < 4; ++b)
        import->AddBoneEx(bones[b], b == 3);
    // The skin has per-node data once it has run for the node.
    tubeNode->EvalWorldState(t);
    for (int v = 0; v < tube->mm.numv; ++v) {
        const std::vector<float> w = RingWeights(tube->mm.P(v).x);
        Tab<INode*> boneTab;
        Tab<float> weightTab;
        for (int b = 0; b < 3; ++b)
            if (w[size_t(b)] > 0.0f) {
                boneTab.Append(1, &bones[b]);
                weightTab.Append(1, const_cast<float*>(&w[size_t(b)]));
            }
        import->AddWeights(tubeNode, v, boneTab, weightTab);
    }
    skin->ReleaseInterface(I_SKINIMPORTDATA, import);
    derived->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);

    // The pose: the middle bone bends the chain by 30 degrees, the last
    // one by 30 more.
    Matrix3 pose2 = RotateZMatrix(kPi / 6.0f) * bone2->GetNodeTM(t);
    pose2.SetTrans(bone2->GetNodeTM(t).GetTrans());
    bone2->SetNodeTM(t, pose2);
    Matrix3 pose3 = RotateZMatrix(kPi / 6.0f) * bone3->GetNodeTM(t);
    pose3.SetTrans(bone3->GetNodeTM(t).GetTrans());
    bone3->SetNodeTM(t, pose3);

    INode* dummy = host.CreateObjectNode(
        static_cast<Object*>(host.CreateInstance(HELPER_CLASS_ID, Class_ID(DUMMY_CLASS_ID, 0))), "Dummy01");
    Matrix3 dummyTM = RotateZMatrix(kPi / 2.0f);
    dummyTM.SetTrans(Point3(-20.0f, 0.0f, 0.0f));
    dummy->SetNodeTM(t, dummyTM);
    BuildWedge(host, dummy);

    // A shape: never a mesh, though it converts to one.
    PrimitiveObject* outline = static_cast<PrimitiveObject*>(
        static_cast<Object*>(host.CreateInstance(SHAPE_CLASS_ID, Class_ID(SPLINESHAPE_CLASS_ID, 0))));
    outline->SetOutline({Point3(0.0f, 0.0f, 0.0f), Point3(6.0f, 0.0f, 0.0f), Point3(3.0f, 5.0f, 0.0f)});
    INode* outlineNode = host.CreateObjectNode(outline, "Outline01");
    Matrix3 outlineTM = TransMatrix(Point3(0.0f, 20.0f, 0.0f));
    outlineNode->SetNodeTM(t, outlineTM);
    INode* camera = host.CreateObjectNode(
        static_cast<Object*>(host.CreateInstance(CAMERA_CLASS_ID, Class_ID(SIMPLE_CAM_CLASS_ID, 0))), "Camera01");
    Matrix3 cameraTM(TRUE);
    cameraTM.SetTrans(Point3(15.0f, -40.0f, 10.0f));
    camera->SetNodeTM(t, cameraTM);

    host.SelectNode(tubeNode, TRUE);
    host.SelectNode(host.GetINodeByName("Wedge"), FALSE);
}
} // namespace maxsim

#include "DemoScene.h"

#include <cmath>
#include <vector>

#include "HostInterface.h"
#include "imtl.h"
#include "stdmat.h"
#include "inode.h"
#include "iskin.h"
#include "istdplug.h"
#include "modstack.h"
#include "polyobj.h"
#include "triobj.h"

namespace maxsim
{
namespace
{
const int kRings = 7;        // along x, from 0 to 30
const int kSides = 8;        // around the tube
const float kLength = 30.0f;
const float kRadius = 2.0f;
const float kPi = 3.14159265358979f;

INode* MakeBone(HostInterface& host, const char* name, INode* parent, const Point3& at)
{
    Object* obj = static_cast<Object*>(host.CreateInstance(GEOMOBJECT_CLASS_ID, BONE_OBJ_CLASSID));
    INode* node = host.CreateObjectNode(obj, name);
    node->SetBoneNodeOnOff(TRUE, host.GetTime());
    Matrix3 tm(TRUE);
    tm.SetTrans(at);
    node->SetNodeTM(host.GetTime(), tm);
    if (parent)
    {
        parent->AttachChild(node, TRUE);
        parent->ResetBoneStretch(host.GetTime());
    }
    return node;
}

void BuildTube(MNMesh& mm)
{
    mm.VAlloc(kRings * kSides);
    for (int r = 0; r < kRings; ++r)
        for (int s = 0; s < kSides; ++s)
        {
            const float a = 2.0f * kPi * float(s) / float(kSides);
            Point3 p(kLength * float(r) / float(kRings - 1), kRadius * std::cos(a), kRadius * std::sin(a));
            mm.NewVert(p);
        }
    mm.FAlloc((kRings - 1) * kSides);
    mm.VEdgeAlloc();
    mm.VFaceAlloc();
    for (int r = 0; r + 1 < kRings; ++r)
        for (int s = 0; s < kSides; ++s)
        {
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
        for (int s = 0; s < kSides; ++s)
        {
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
    mm.PrepForPipeline();
}

// Smooth weights: each bone's influence falls off linearly over one bone
// length from its middle.
std::vector<float> RingWeights(float x)
{
    std::vector<float> w(3);
    float total = 0.0f;
    for (int b = 0; b < 3; ++b)
    {
        const float centre = 5.0f + 10.0f * float(b);
        w[size_t(b)] = std::fmax(0.0f, 1.0f - std::fabs(x - centre) / 10.0f);
        total += w[size_t(b)];
    }
    for (float& v : w)
        v /= total;
    return w;
}
} // namespace

void DemoScene::Build(HostInterface& host)
{
    const TimeValue t = host.GetTime();

    INode* bone1 = MakeBone(host, "Bone01", nullptr, Point3(0.0f, 0.0f, 0.0f));
    INode* bone2 = MakeBone(host, "Bone02", bone1, Point3(10.0f, 0.0f, 0.0f));
    INode* bone3 = MakeBone(host, "Bone03", bone2, Point3(20.0f, 0.0f, 0.0f));
    INode* tip = MakeBone(host, "Bone03_End", bone3, Point3(30.0f, 0.0f, 0.0f));
    (void)tip;

    PolyObject* tube = static_cast<PolyObject*>(
        static_cast<Object*>(host.CreateInstance(GEOMOBJECT_CLASS_ID, Class_ID(POLYOBJ_CLASS_ID, 0))));
    BuildTube(tube->mm);
    INode* tubeNode = host.CreateObjectNode(tube, "Tube");
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
    INode* bones[3] = {bone1, bone2, bone3};
    for (int b = 0; b < 3; ++b)
        import->AddBoneEx(bones[b], b == 2);
    // The skin has per-node data once it has run for the node.
    tubeNode->EvalWorldState(t);
    for (int v = 0; v < tube->mm.numv; ++v)
    {
        const std::vector<float> w = RingWeights(tube->mm.P(v).x);
        Tab<INode*> boneTab;
        Tab<float> weightTab;
        for (int b = 0; b < 3; ++b)
            if (w[size_t(b)] > 0.0f)
            {
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

    host.CreateObjectNode(static_cast<Object*>(host.CreateInstance(HELPER_CLASS_ID, Class_ID(DUMMY_CLASS_ID, 0))),
                          "Dummy01");
    INode* camera = host.CreateObjectNode(
        static_cast<Object*>(host.CreateInstance(CAMERA_CLASS_ID, Class_ID(SIMPLE_CAM_CLASS_ID, 0))), "Camera01");
    Matrix3 cameraTM(TRUE);
    cameraTM.SetTrans(Point3(15.0f, -40.0f, 10.0f));
    camera->SetNodeTM(t, cameraTM);

    host.SelectNode(tubeNode, TRUE);
}
} // namespace maxsim

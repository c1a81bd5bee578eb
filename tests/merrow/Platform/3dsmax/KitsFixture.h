#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "max.h"

#include "iparamb2.h"
#include "iskin.h"
#include "istdplug.h"
#include "modstack.h"
#include "polyobj.h"

// The one place where the kit suites reach the stand-in host's own classes:
// resetting the scene and reading its records. Scenes are built through the
// SDK, as a user's script would build them.
#include "HostInterface.h"
#include "HostRules.h"
#include "SceneNode.h"
#include "SkinModifier.h"

#include "merrow/Platform/3dsmax/HObject.h"
#include "orlo/Math/TMatrix4.h"
#include "orlo/Utils/UArray.h"

class KitsTest : public ::testing::Test {
protected:
    void SetUp() override {
        maxsim::HostInterface::Instance().Reset();
        maxsim::HostRules::Instance().TakeBreaks();
    }
    // Whatever the test checked, a host rule broken on the way fails it; the
    // objects are checked once more as the scene goes.
    void TearDown() override {
        maxsim::HostInterface::Instance().Reset();
        for (const std::string& rule : maxsim::HostRules::Instance().TakeBreaks())
            ADD_FAILURE() << "host rule broken: " << rule;
    }
    // The rules broken so far, taken (a test that breaks one on purpose).
    static std::vector<std::string> TakeHostRuleBreaks() {
        maxsim::HostRules::Instance().Check();
        return maxsim::HostRules::Instance().TakeBreaks();
    }

    // Host records.
    static int RedrawCount() { return maxsim::HostInterface::Instance().RedrawCount(); }
    static size_t ProgressStarts() { return maxsim::HostInterface::Instance().ProgressRecords().size(); }
    static bool ProgressEnded() {
        const auto& records = maxsim::HostInterface::Instance().ProgressRecords();
        return !records.empty() && records.back().ended;
    }
    static bool ProgressShowsBar() {
        const auto& records = maxsim::HostInterface::Instance().ProgressRecords();
        return !records.empty() && records.back().dispBar && records.back().title.empty() && records.back().hasFunction;
    }
    static int StretchResets(INode* node) { return static_cast<maxsim::SceneNode*>(node)->GetStretchResetCount(); }
    static int TMInvalidations(INode* node) { return static_cast<maxsim::SceneNode*>(node)->GetInvalidateTMCount(); }
    static std::vector<BOOL> AddBoneUpdates(Modifier* skin) {
        return static_cast<maxsim::SkinModifier*>(skin)->GetAddBoneUpdates();
    }
    static size_t InvalidatedObCaches() { return maxsim::HostInterface::Instance().ObCacheInvalidations().size(); }

    // Scene building, through the SDK only.
    static Interface* Host() { return GetCOREInterface(); }
    static TimeValue Now() { return Host()->GetTime(); }

    static INode* NewNode(Object* object, const char* name) {
        INode* node = Host()->CreateObjectNode(object);
        node->SetName(const_cast<TCHAR*>(name));
        return node;
    }

    static PolyObject* NewPoly() {
        return static_cast<PolyObject*>(
            static_cast<Object*>(Host()->CreateInstance(GEOMOBJECT_CLASS_ID, Class_ID(POLYOBJ_CLASS_ID, 0))));
    }

    // One quad (0,0)-(2,1) in z = 0 and a triangle beside it.
    static PolyObject* NewQuadAndTriangle() {
        PolyObject* p = NewPoly();
        const float xy[5][2] = {{0, 0}, {2, 0}, {2, 1}, {0, 1}, {3, 0}};
        p->mm.VAlloc(5);
        for (auto& c : xy) {
            Point3 v(c[0], c[1], 0.0f);
            p->mm.NewVert(v);
        }
        p->mm.FAlloc(2);
        p->mm.VEdgeAlloc();
        p->mm.VFaceAlloc();
        int quad[4] = {0, 1, 2, 3};
        int tri[3] = {1, 4, 2};
        p->mm.CreateFace(4, quad);
        p->mm.CreateFace(3, tri);
        p->mm.FillInMesh();
        return p;
    }

    static INode* NewMeshNode(const char* name) { return NewNode(NewQuadAndTriangle(), name); }

    static Object* NewObject(SClass_ID superClass, Class_ID classID) {
        return static_cast<Object*>(Host()->CreateInstance(superClass, classID));
    }

    static INode* NewBone(const char* name, const Point3& at) {
        INode* n = NewNode(NewObject(GEOMOBJECT_CLASS_ID, BONE_OBJ_CLASSID), name);
        Matrix3 tm(TRUE);
        tm.SetTrans(at);
        n->SetNodeTM(Now(), tm);
        return n;
    }

    // Puts a skin on the node's stack, binds the bones and answers the skin.
    static Modifier* AddSkin(INode* node, const std::vector<INode*>& bones) {
        IDerivedObject* d = CreateDerivedObject(node->GetObjectRef());
        Modifier* skin = static_cast<Modifier*>(Host()->CreateInstance(OSM_CLASS_ID, SKIN_CLASSID));
        d->AddModifier(skin);
        node->SetObjectRef(d);
        ISkinImportData* import = static_cast<ISkinImportData*>(skin->GetInterface(I_SKINIMPORTDATA));
        for (size_t i = 0; i < bones.size(); ++i)
            import->AddBoneEx(bones[i], i + 1 == bones.size());
        skin->ReleaseInterface(I_SKINIMPORTDATA, import);
        node->EvalWorldState(Now());
        return skin;
    }

    static bool SetWeights(Modifier* skin, INode* node, int v, std::vector<INode*> bones, std::vector<float> weights) {
        Tab<INode*> b;
        Tab<float> w;
        for (INode*& n : bones)
            b.Append(1, &n);
        for (float& x : weights)
            w.Append(1, &x);
        ISkinImportData* import = static_cast<ISkinImportData*>(skin->GetInterface(I_SKINIMPORTDATA));
        const bool done = import->AddWeights(node, v, b, w) != 0;
        skin->ReleaseInterface(I_SKINIMPORTDATA, import);
        return done;
    }

    // The node's evaluated points in world space.
    static std::vector<Point3> WorldPoints(INode* node) {
        const ObjectState& os = node->EvalWorldState(Now());
        std::vector<Point3> out;
        const Matrix3 tm = node->GetObjectTM(Now());
        for (int i = 0; os.obj && i < os.obj->NumPoints(); ++i)
            out.push_back(tm.PointTransform(os.obj->GetPoint(i)));
        return out;
    }

    static merrow::platform_3dsmax::HObject Handle(INode* node) {
        return merrow::platform_3dsmax::HObject::FromNode(node);
    }

    template <class T>
    static std::vector<T> Vec(const orlo::UArray<T>& a) {
        return std::vector<T>(a.begin(), a.end());
    }
    template <class T>
    static orlo::UArray<T> Arr(std::initializer_list<T> values) {
        orlo::UArray<T> a;
        for (const T& v : values)
            a.Add(v);
        return a;
    }
};

inline void ExpectNear(const Point3& a, const Point3& b, float eps = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

inline void ExpectMatrixNear(const orlo::TMatrix4<float>& a, const orlo::TMatrix4<float>& b, float eps = 1e-4f) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(a.m[r][c], b.m[r][c], eps) << "row " << r << " column " << c;
}

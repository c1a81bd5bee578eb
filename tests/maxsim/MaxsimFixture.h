#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "max.h"

#include "HostInterface.h"
#include "HostRules.h"
#include "iparamb2.h"
#include "iskin.h"
#include "istdplug.h"
#include "modstack.h"
#include "stdmat.h"

// Every test starts from an empty scene and leaves one behind.
class MaxsimTest : public ::testing::Test {
protected:
    void SetUp() override {
        Host().Reset();
        maxsim::HostRules::Instance().TakeBreaks();
    }
    // A host rule broken on the way fails the test; the objects are checked
    // once more as the scene goes.
    void TearDown() override {
        Host().Reset();
        for (const std::string& rule : maxsim::HostRules::Instance().TakeBreaks())
            ADD_FAILURE() << "host rule broken: " << rule;
    }
    // The rules broken so far, taken (a test that breaks one on purpose).
    static std::vector<std::string> TakeHostRuleBreaks() {
        maxsim::HostRules::Instance().Check();
        return maxsim::HostRules::Instance().TakeBreaks();
    }

    static maxsim::HostInterface& Host() { return maxsim::HostInterface::Instance(); }
    static TimeValue Now() { return Host().GetTime(); }

    static PolyObject* NewPoly() {
        return static_cast<PolyObject*>(
            static_cast<Object*>(Host().CreateInstance(GEOMOBJECT_CLASS_ID, Class_ID(POLYOBJ_CLASS_ID, 0))));
    }

    // A poly object: one quad in the z = 0 plane from (0,0) to (2,1), plus
    // one triangle beside it.
    static PolyObject* NewQuadAndTriangle() {
        PolyObject* p = NewPoly();
        const float xy[5][2] = {{0, 0}, {2, 0}, {2, 1}, {0, 1}, {3, 0}};
        for (auto& c : xy) {
            Point3 v(c[0], c[1], 0.0f);
            p->mm.NewVert(v);
        }
        int quad[4] = {0, 1, 2, 3};
        int tri[3] = {1, 4, 2};
        p->mm.VEdgeAlloc();
        p->mm.VFaceAlloc();
        p->mm.CreateFace(4, quad);
        p->mm.CreateFace(3, tri);
        p->mm.FillInMesh();
        return p;
    }

    static INode* NewNode(Object* obj, const char* name) { return Host().CreateObjectNode(obj, name); }

    static INode* NewBone(const char* name, const Point3& at) {
        INode* n = NewNode(static_cast<Object*>(Host().CreateInstance(GEOMOBJECT_CLASS_ID, BONE_OBJ_CLASSID)), name);
        Matrix3 tm(TRUE);
        tm.SetTrans(at);
        n->SetNodeTM(Now(), tm);
        return n;
    }

    static Modifier* NewSkin() { return static_cast<Modifier*>(Host().CreateInstance(OSM_CLASS_ID, SKIN_CLASSID)); }

    // Puts a skin on the node's stack and answers it.
    static Modifier* AddSkin(INode* node) {
        IDerivedObject* d = CreateDerivedObject(node->GetObjectRef());
        Modifier* skin = NewSkin();
        d->AddModifier(skin);
        node->SetObjectRef(d);
        return skin;
    }

    static ISkin* SkinOf(Modifier* skin) { return static_cast<ISkin*>(skin->GetInterface(I_SKIN)); }
    static ISkinImportData* ImportOf(Modifier* skin) {
        return static_cast<ISkinImportData*>(skin->GetInterface(I_SKINIMPORTDATA));
    }

    static bool SetWeights(Modifier* skin, INode* node, int v, std::vector<INode*> bones, std::vector<float> weights) {
        Tab<INode*> b;
        Tab<float> w;
        for (INode*& n : bones)
            b.Append(1, &n);
        for (float& x : weights)
            w.Append(1, &x);
        return ImportOf(skin)->AddWeights(node, v, b, w) != 0;
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
};

inline void ExpectNear(const Point3& a, const Point3& b, float eps = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

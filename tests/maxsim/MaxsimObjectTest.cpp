#include "MaxsimFixture.h"
#include "PrimitiveObject.h"

using MaxsimObjectTest = MaxsimTest;

namespace {
struct ConversionCase {
    const char* what;
    SClass_ID superClassID;
    Class_ID classID;
    bool toPoly;
};

const Class_ID kPoly(POLYOBJ_CLASS_ID, 0);

const ConversionCase kConversions[] = {
    {"editable poly", GEOMOBJECT_CLASS_ID, Class_ID(POLYOBJ_CLASS_ID, 0), true},
    {"triangle mesh", GEOMOBJECT_CLASS_ID, Class_ID(TRIOBJ_CLASS_ID, 0), true},
    {"bone object", GEOMOBJECT_CLASS_ID, BONE_OBJ_CLASSID, true},
    {"0x9125 object", GEOMOBJECT_CLASS_ID, Class_ID(0x9125, 0), true},
    {"0x3011 object", GEOMOBJECT_CLASS_ID, Class_ID(0x3011, 0), true},
    {"shape", SHAPE_CLASS_ID, Class_ID(SPLINESHAPE_CLASS_ID, 0), true},
    {"camera", CAMERA_CLASS_ID, Class_ID(SIMPLE_CAM_CLASS_ID, 0), false},
    {"light", LIGHT_CLASS_ID, Class_ID(OMNI_LIGHT_CLASS_ID, 0), false},
    {"dummy helper", HELPER_CLASS_ID, Class_ID(DUMMY_CLASS_ID, 0), false},
    {"0x8A63C0 helper", HELPER_CLASS_ID, Class_ID(BONE_CLASS_ID, 0), false},
};
} // namespace

TEST_F(MaxsimObjectTest, CreatedObjectsHaveTheirIdsAndConvertAsTheirKindDoes) {
    for (const ConversionCase& c : kConversions) {
        SCOPED_TRACE(c.what);
        Object* obj = static_cast<Object*>(Host().CreateInstance(c.superClassID, c.classID));
        ASSERT_NE(obj, nullptr);
        EXPECT_EQ(obj->SuperClassID(), c.superClassID);
        EXPECT_TRUE(obj->ClassID() == c.classID);
        EXPECT_TRUE(obj->CanConvertToType(c.classID));
        EXPECT_EQ(obj->ConvertToType(Now(), c.classID), obj);
        EXPECT_EQ(obj->CanConvertToType(kPoly) != 0, c.toPoly);
        Object* poly = obj->ConvertToType(Now(), kPoly);
        EXPECT_EQ(poly != nullptr, c.toPoly);
        if (poly && poly != obj)
            poly->DeleteThis();
        obj->DeleteThis();
    }
}

TEST_F(MaxsimObjectTest, APolyObjectConvertsToItselfATriangleMeshToANewCopy) {
    PolyObject* poly = NewQuadAndTriangle();
    EXPECT_EQ(poly->ConvertToType(Now(), kPoly), poly);

    TriObject* tri = CreateNewTriObject();
    tri->mesh.setNumVerts(3);
    tri->mesh.setVert(0, Point3(0, 0, 0));
    tri->mesh.setVert(1, Point3(1, 0, 0));
    tri->mesh.setVert(2, Point3(0, 1, 0));
    tri->mesh.setNumFaces(1);
    tri->mesh.faces[0].setVerts(0, 1, 2);
    tri->mesh.faces[0].setMatID(5);
    Object* converted = tri->ConvertToType(Now(), kPoly);
    ASSERT_NE(converted, tri);
    MNMesh& mm = static_cast<PolyObject*>(converted)->mm;
    ASSERT_EQ(mm.numv, 3);
    ASSERT_EQ(mm.numf, 1);
    EXPECT_EQ(mm.F(0)->deg, 3);
    EXPECT_EQ(mm.F(0)->material, 5);
    // A copy: changing it leaves the triangle mesh alone.
    mm.P(0) = Point3(9, 9, 9);
    EXPECT_EQ(tri->mesh.verts[0], Point3(0, 0, 0));
    converted->DeleteThis();
    tri->DeleteThis();
    poly->DeleteThis();
}

TEST_F(MaxsimObjectTest, AnObjectCanBeGivenFurtherConversions) {
    maxsim::PrimitiveObject* obj = new maxsim::PrimitiveObject(GEOMOBJECT_CLASS_ID, Class_ID(0x9125, 0), "x");
    EXPECT_FALSE(obj->CanConvertToType(Class_ID(0x3011, 0)));
    obj->AddConversion(Class_ID(0x3011, 0));
    Object* other = obj->ConvertToType(Now(), Class_ID(0x3011, 0));
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(other->ClassID() == Class_ID(0x3011, 0));
    other->DeleteThis();
    obj->DeleteThis();
}

TEST_F(MaxsimObjectTest, UnknownClassesAreNotCreated) {
    EXPECT_EQ(Host().CreateInstance(GEOMOBJECT_CLASS_ID, Class_ID(0x1234, 0x5678)), nullptr);
    EXPECT_EQ(Host().CreateInstance(MATERIAL_CLASS_ID, Class_ID(0x999, 0)), nullptr);
    EXPECT_EQ(Host().CreateInstance(0x7777, Class_ID(POLYOBJ_CLASS_ID, 0)), nullptr);
}

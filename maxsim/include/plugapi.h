#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "plugapi.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "maxheap.h"
#include "maxtypes.h"

// The SDK version a plug-in module reports from LibVersion.
#define MAX_RELEASE 9000
#define MAX_API_NUM 21
#define MAX_SDK_REV 0
#define MAXAPIVERSION(rel, api, sdk) (((rel) << 16) | ((api) << 8) | (sdk))
#define VERSION_3DSMAX MAXAPIVERSION(MAX_RELEASE, MAX_API_NUM, MAX_SDK_REV)

// Superclass ids.
#define BASENODE_CLASS_ID 0x00000001
#define GEN_DERIVOB_CLASS_ID 0x00000002
#define GEOMOBJECT_CLASS_ID 0x00000010
#define CAMERA_CLASS_ID 0x00000020
#define LIGHT_CLASS_ID 0x00000030
#define SHAPE_CLASS_ID 0x00000040
#define HELPER_CLASS_ID 0x00000050
#define REF_MAKER_CLASS_ID 0x00000100
#define REF_TARGET_CLASS_ID 0x00000200
#define OSM_CLASS_ID 0x00000810
#define WSM_CLASS_ID 0x00000820
#define SCENE_IMPORT_CLASS_ID 0x00000A10
#define SCENE_EXPORT_CLASS_ID 0x00000A20
#define MATERIAL_CLASS_ID 0x00000C00
#define TEXMAP_CLASS_ID 0x00000C10
#define UTILITY_CLASS_ID 0x00001020

// Class ids (first halves; the second half is 0).
#define DERIVOB_CLASS_ID 0x00000003
#define TRIOBJ_CLASS_ID 0x00000009
#define POLYOBJ_CLASS_ID 0x5d21369a
#define SPLINESHAPE_CLASS_ID 0x0000000a
#define SIMPLE_CAM_CLASS_ID 0x00001001
#define OMNI_LIGHT_CLASS_ID 0x00001011
#define DUMMY_CLASS_ID 0x00876234
#define BONE_CLASS_ID 0x008a63c0
// Materials: standard, standard (second form), top/bottom, multi/sub-object,
// double-sided, blend.
#define DMTL_CLASS_ID 0x00000002
#define DMTL2_CLASS_ID 0x00000003
#define CMTL_CLASS_ID 0x00000100
#define MULTI_CLASS_ID 0x00000200
#define DOUBLESIDED_CLASS_ID 0x00000210
#define MIXMAT_CLASS_ID 0x00000250

class Interface;

// Describes one plug-in class to the host.
class ClassDesc : public MaxHeapOperators {
public:
    virtual ~ClassDesc() {}
    virtual int IsPublic() = 0;
    virtual void* Create(BOOL loading = FALSE) = 0;
    virtual const TCHAR* ClassName() = 0;
    virtual SClass_ID SuperClassID() = 0;
    virtual Class_ID ClassID() = 0;
    virtual const TCHAR* Category() = 0;
    virtual BOOL OkToCreate(Interface* i) {
        (void)i;
        return TRUE;
    }
    virtual const TCHAR* InternalName() { return nullptr; }
    virtual HINSTANCE HInstance() { return nullptr; }
};

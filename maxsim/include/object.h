#pragma once
#ifndef MAXSIM_MAX_H_INCLUDED
#error "object.h needs max.h included before it, as the SDK's own headers do"
#endif
#include "matrix3.h"
#include "maxheap.h"
#include "plugapi.h"
#include "point3.h"
#include "ref.h"

class Object;

// The result of evaluating an object or a node's pipeline.
class ObjectState : public MaxHeapOperators {
public:
    Object* obj;

    ObjectState() : obj(nullptr) {}
    explicit ObjectState(Object* ob) : obj(ob) {}
};

class INode;

#define ALL_CHANNELS 0x3fff

// The channel-id of a generic deformable object: modifiers that only move
// points accept any object that can be deformed.
CoreExport extern Class_ID defObjectClassID;
CoreExport extern Class_ID triObjectClassID;
CoreExport extern Class_ID polyObjectClassID;

// A scene object: what a node shows, before or after its modifiers.
class CoreExport Object : public ReferenceTarget {
public:
    Object();
    ~Object() override;

    virtual int CanConvertToType(Class_ID obtype);
    // May answer the object itself; any other object is a new one that the
    // caller deletes.
    virtual Object* ConvertToType(TimeValue t, Class_ID obtype);
    virtual ObjectState Eval(TimeValue t);
    // The object that takes this one's place when its stack is collapsed.
    virtual Object* CollapseObject();
    virtual Object* FindBaseObject();
    virtual Object* MakeShallowCopy(ChannelMask channels);
    virtual Interval ObjectValidity(TimeValue t);

    virtual int IsDeformable();
    virtual int NumPoints();
    virtual Point3 GetPoint(int i);
    virtual void SetPoint(int i, const Point3& p);
    virtual void PointsWereChanged();
};

class CoreExport GeomObject : public Object {
public:
    SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
};

class LocalModData : public MaxHeapOperators {
public:
    virtual ~LocalModData() {}
};

// The context of one application of a modifier.
class ModContext : public MaxHeapOperators {
public:
    Matrix3* tm;
    LocalModData* localData;

    ModContext() : tm(nullptr), localData(nullptr) {}
};

// An object-space modifier: a step of an object's stack.
class CoreExport Modifier : public ReferenceTarget {
public:
    Modifier();
    ~Modifier() override;

    SClass_ID SuperClassID() override;
    virtual void ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) = 0;
    virtual Class_ID InputType();
    virtual ChannelMask ChannelsUsed();
    virtual ChannelMask ChannelsChanged();
    virtual TSTR GetName();
    virtual void SetName(TSTR n);

    void DisableMod();
    void EnableMod();
    int IsEnabled() { return !TestAFlag(A_MOD_DISABLED); }
    void DisableModInViews();
    void EnableModInViews();
    int IsEnabledInViews() { return !TestAFlag(A_MOD_DISABLED_INVIEWS); }

private:
    TSTR m_name;
};

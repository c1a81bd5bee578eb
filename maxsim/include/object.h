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

// The channels of an object flowing down the pipeline. A shallow copy shares
// the arrays of a channel with the object it was made from; the copy has that
// channel locked: it does not own it and must neither free nor change it.
#define TOPO_CHANNEL (1 << 0)
#define GEOM_CHANNEL (1 << 1)
#define TEXMAP_CHANNEL (1 << 2)
#define MTL_CHANNEL (1 << 3)
#define SELECT_CHANNEL (1 << 4)
#define SUBSEL_TYPE_CHANNEL (1 << 5)
#define DISP_ATTRIB_CHANNEL (1 << 6)
#define VERTCOLOR_CHANNEL (1 << 7)
#define GFX_DATA_CHANNEL (1 << 8)
#define DISP_APPROX_CHANNEL (1 << 9)
#define EXTENSION_CHANNEL (1 << 13)
#define OBJ_CHANNELS                                                                                     \
    (TOPO_CHANNEL | GEOM_CHANNEL | SELECT_CHANNEL | TEXMAP_CHANNEL | MTL_CHANNEL | SUBSEL_TYPE_CHANNEL | \
     DISP_ATTRIB_CHANNEL | VERTCOLOR_CHANNEL | GFX_DATA_CHANNEL | DISP_APPROX_CHANNEL | EXTENSION_CHANNEL)
#define ALL_CHANNELS 0x3fff
#define OBJECT_LOCKED 0x08000000

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
    // A new shell sharing the given channels with this object; the other
    // channels are left empty. Objects that cannot share answer null.
    virtual Object* MakeShallowCopy(ChannelMask channels);
    // Shares the given channels of fromOb (same class) with this object.
    virtual void ShallowCopy(Object* fromOb, ChannelMask channels);
    // Empties the given channels.
    virtual void FreeChannels(ChannelMask channels);
    // Replaces the given (locked) channels with copies of their own.
    virtual void NewAndCopyChannels(ChannelMask channels);
    virtual Interval ObjectValidity(TimeValue t);

    // Locks are set and read by the host: a locked channel is not the
    // object's own; a locked object is not to be deleted by whoever finds it.
    void LockObject() { m_locked |= OBJECT_LOCKED; }
    void UnlockObject() { m_locked &= ~ChannelMask(OBJECT_LOCKED); }
    int IsObjectLocked() { return (m_locked & OBJECT_LOCKED) ? 1 : 0; }
    void LockChannels(ChannelMask channels) { m_locked |= channels; }
    void UnlockChannels(ChannelMask channels) { m_locked &= ~channels; }
    ChannelMask GetChannelLocks() { return m_locked; }
    void SetChannelLocks(ChannelMask channels) { m_locked = channels; }
    void CopyChannelLocks(Object* obj, ChannelMask needChannels);
    // Locked channels among the given ones are replaced by copies of their
    // own and unlocked, so that a modifier may change them.
    void ReadyChannelsForMod(ChannelMask channels);

    virtual int IsDeformable();
    virtual int NumPoints();
    virtual Point3 GetPoint(int i);
    virtual void SetPoint(int i, const Point3& p);
    virtual void PointsWereChanged();

private:
    ChannelMask m_locked;
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

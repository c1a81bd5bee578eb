#pragma once
#include "ObjectState.h"
#include "point3.h"
#include "ref.h"

class INode;

#define ALL_CHANNELS 0x3fff

// The channel-id of a generic deformable object: modifiers that only move
// points accept any object that can be deformed.
CoreExport extern Class_ID defObjectClassID;
CoreExport extern Class_ID triObjectClassID;
CoreExport extern Class_ID polyObjectClassID;

// A scene object: what a node shows, before or after its modifiers.
class CoreExport Object : public ReferenceTarget
{
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

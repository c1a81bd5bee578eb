#pragma once
#include "ModContext.h"
#include "object.h"
#include "plugapi.h"

// An object-space modifier: a step of an object's stack.
class CoreExport Modifier : public ReferenceTarget
{
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

#include "merrow/Platform/3dsmax/Kits/ConvertedPolyObject.h"

#include "max.h"
#include "merrow/Platform/3dsmax/Kits/HSkinAccess.h"
#include "polyobj.h"

namespace merrow::platform_3dsmax {

namespace {

const Class_ID kPolyObjectClassID(0x5D21369A, 0);
const DWORD kModifierDisabled = 0x20;
const DWORD kModifierDisabledInViews = 0x100;
const PartID kSkinSwitchParts = 0x80003FFF;

void NotifySkinSwitched(Modifier* skin) {
    skin->NotifyDependents(FOREVER, kSkinSwitchParts, REFMSG_CHANGE);
}

} // namespace

ConvertedPolyObject::ConvertedPolyObject(HNodeKit* owner, INode* node, int32_t poseMode)
    : m_polyObject(nullptr), m_owned(false), m_owner(owner), m_wasEnabled(false), m_wasEnabledInViews(false),
      m_node(node) {
    m_lock.Enter();
    const TimeValue t = GetCOREInterface()->GetTime();
    if (poseMode == 1) {
        Modifier* skin = HSkinAccess::FindModifier(node, HSkinAccess::SkinClassID());
        if (skin != nullptr && !skin->TestAFlag(kModifierDisabled)) {
            // The user's viewport setting is recorded but never touched.
            m_wasEnabled = true;
            m_wasEnabledInViews = !skin->TestAFlag(kModifierDisabledInViews);
            skin->SetAFlag(kModifierDisabled);
            NotifySkinSwitched(skin);
        }
    }
    const ObjectState& state = node->EvalWorldState(t);
    Object* evaluated = state.obj;
    if (evaluated != nullptr && evaluated->CanConvertToType(kPolyObjectClassID)) {
        Object* converted = evaluated->ConvertToType(t, kPolyObjectClassID);
        if (converted != nullptr) {
            m_polyObject = static_cast<PolyObject*>(converted);
            m_owned = converted != evaluated;
            m_polyObject->mm.CollapseDeadStructs();
        }
    }
}

ConvertedPolyObject::~ConvertedPolyObject() {
    if (m_wasEnabled) {
        if (Modifier* skin = HSkinAccess::FindModifier(m_node, HSkinAccess::SkinClassID())) {
            skin->ClearAFlag(kModifierDisabled);
            NotifySkinSwitched(skin);
        }
    }
    m_lock.Leave();
    if (m_owned && m_polyObject != nullptr)
        m_polyObject->DeleteThis();
}

} // namespace merrow::platform_3dsmax

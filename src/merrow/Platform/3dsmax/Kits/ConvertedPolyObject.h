#pragma once

#include <cstdint>

#include "orlo/CoreServices/Implementations/ULock.h"

class INode;
class PolyObject;

namespace merrow::platform_3dsmax {

class HNodeKit;

// What one conversion of a mesh node to the host's editable poly form
// produced, held by the mesh kit while nothing changes. In bind-pose mode it
// switches an enabled skin modifier off for its whole life and back on when
// it goes; a copy the conversion made is deleted with it.
//
//     ConvertedPolyObject converted(kit, node, 1);   // skin off while it lives
//     if (PolyObject* poly = converted.GetPolyObject()) read(poly->mm);
class ConvertedPolyObject {
public:
    ConvertedPolyObject(HNodeKit* owner, INode* node, int32_t poseMode);
    ~ConvertedPolyObject();
    ConvertedPolyObject(const ConvertedPolyObject&) = delete;
    ConvertedPolyObject& operator=(const ConvertedPolyObject&) = delete;

    // Null when the node's object cannot become a poly object.
    PolyObject* GetPolyObject() const { return m_polyObject; }
    // The conversion made a new object, which goes with this holder.
    bool IsOwned() const { return m_owned; }
    HNodeKit* GetOwner() const { return m_owner; }
    // True when this holder switched the skin off.
    bool WasSkinEnabled() const { return m_wasEnabled; }
    bool WasSkinEnabledInViews() const { return m_wasEnabledInViews; }

private:
    orlo::ULock m_lock;
    PolyObject* m_polyObject;
    bool m_owned;
    HNodeKit* m_owner;
    bool m_wasEnabled;
    bool m_wasEnabledInViews;
    INode* m_node;
};

} // namespace merrow::platform_3dsmax

#pragma once

#include <cstdint>

#include "max.h"

#include "iFnPub.h"

namespace merrow::platform_3dsmax {

// The function-published interface behind the index items of a scene
// collection (kind 8): a list whose items are addressed by index. The host
// publishes it under ID() when something provides such a list; without it
// a collection of index items is empty.
//
//     if (FPInterface* fp = GetCOREInterface(HIndexItemList::ID()))
//         count = static_cast<HIndexItemList*>(fp)->GetItemCount();
class HIndexItemList : public FPInterface {
public:
    static Interface_ID ID();

    Interface_ID GetID() override;
    virtual uint32_t GetItemCount() = 0;
};

} // namespace merrow::platform_3dsmax

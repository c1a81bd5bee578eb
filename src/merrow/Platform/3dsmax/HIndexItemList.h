#pragma once

#include <cstdint>

#include "max.h"

#include "iFnPub.h"

namespace merrow::platform_3dsmax {

// The function-published interface behind the index items of a scene
// collection (kind 8): a list whose items are addressed by index. A list of
// this module is published to the host under ID(); without one a collection
// of index items is empty.
//
// Whatever the host answers for ID() may come from another plug-in that
// chose the same id, so it is never taken on trust: FindPublished answers it
// only when it is one of the lists this module made (every list knows its
// module's other lists from its construction to its destruction).
//
//     if (HIndexItemList* list = HIndexItemList::FindPublished())
//         count = list->GetItemCount();
class HIndexItemList : public FPInterface {
public:
    static Interface_ID ID();
    // The list that the host publishes under ID(), when this module made it;
    // null when the host publishes nothing there or something else.
    static HIndexItemList* FindPublished();

    HIndexItemList();
    ~HIndexItemList() override;
    HIndexItemList(const HIndexItemList&) = delete;
    HIndexItemList& operator=(const HIndexItemList&) = delete;

    Interface_ID GetID() override;
    virtual uint32_t GetItemCount() = 0;

private:
    HIndexItemList* m_next;
};

} // namespace merrow::platform_3dsmax

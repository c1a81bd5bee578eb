#include "merrow/Platform/3dsmax/HIndexItemList.h"

namespace merrow::platform_3dsmax {

namespace {

// The lists this module made and has not destroyed, newest first. The
// module's own: its symbols are hidden, so no other module shares it.
HIndexItemList* g_lists = nullptr;

} // namespace

Interface_ID HIndexItemList::ID() {
    return Interface_ID(0x0E343EF5, 0x62944BC2);
}

HIndexItemList* HIndexItemList::FindPublished() {
    FPInterface* published = GetCOREInterface(ID());
    if (published == nullptr)
        return nullptr;
    // Only the addresses are compared: a foreign interface is never cast.
    for (HIndexItemList* list = g_lists; list != nullptr; list = list->m_next)
        if (static_cast<FPInterface*>(list) == published)
            return list;
    return nullptr;
}

HIndexItemList::HIndexItemList() : m_next(g_lists) {
    g_lists = this;
}

HIndexItemList::~HIndexItemList() {
    for (HIndexItemList** link = &g_lists; *link != nullptr; link = &(*link)->m_next)
        if (*link == this) {
            *link = m_next;
            break;
        }
}

Interface_ID HIndexItemList::GetID() {
    return ID();
}

} // namespace merrow::platform_3dsmax

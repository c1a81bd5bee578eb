#include "merrow/Platform/3dsmax/HIndexItemList.h"

namespace merrow::platform_3dsmax {

Interface_ID HIndexItemList::ID() {
    return Interface_ID(0x0E343EF5, 0x62944BC2);
}

Interface_ID HIndexItemList::GetID() {
    return ID();
}

} // namespace merrow::platform_3dsmax

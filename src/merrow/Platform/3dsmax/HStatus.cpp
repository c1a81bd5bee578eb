#include "merrow/Platform/3dsmax/HStatus.h"

namespace merrow::platform_3dsmax {

HStatus::~HStatus() = default;

} // namespace merrow::platform_3dsmax

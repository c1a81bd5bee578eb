#pragma once

#include <cstdint>

namespace merrow::platform_3dsmax {

// The space a node kit reads or writes a transform in. Node kits answer
// requests in TRANSFORM_SPACE_UNSUPPORTED with status 2 or the identity.
enum TransformSpace : int32_t {
    TRANSFORM_SPACE_WORLD = 0,
    TRANSFORM_SPACE_PARENT = 1,
    TRANSFORM_SPACE_UNSUPPORTED = 2,
};

} // namespace merrow::platform_3dsmax

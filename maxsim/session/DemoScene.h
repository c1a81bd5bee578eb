#pragma once
#include "max.h"

#include "coreexp.h"

namespace maxsim {
class HostInterface;

// The built-in demo scene: a tube skinned to a chain of three bones with
// smooth weights and posed away from its bind pose, with two texture
// channels (channel 0 left dead), explicit normals and a multi/sub-object
// material chosen by face material ids; besides it an unskinned box, a
// dummy helper and a camera.
class CoreExport DemoScene {
public:
    static void Build(HostInterface& host);
};
} // namespace maxsim

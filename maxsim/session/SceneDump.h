#pragma once
#include "max.h"

#include "coreexp.h"
#include <nlohmann/json.hpp>
#include <string>

namespace maxsim {
class HostInterface;

// The scene as JSON: time, nodes (transform, object and modifiers, the
// base object's poly form, evaluated world vertices, material, skin) and
// materials. Floats are written so that they read back as the same float.
class CoreExport SceneDump {
public:
    static nlohmann::ordered_json ToJson(HostInterface& host);
    static std::string ToText(HostInterface& host, int indent = 2);
};
} // namespace maxsim

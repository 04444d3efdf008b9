#pragma once
// Recorded real PCs (tests/machines/*.json) as fake platforms: every WMI answer under the
// exact query text the probe sends, the other platform values as their fields.

#include <string_view>

#include "host/fake_platform.h"

namespace kestro::test {

// Throws nlohmann::json's exceptions on a text that is not a recording.
FakePlatform load_machine(std::string_view json);

}  // namespace kestro::test

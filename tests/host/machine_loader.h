#pragma once
// Recorded real PCs (tests/machines/*.json) as fake platforms: every WMI answer under the
// exact query text the probe sends, the other platform values as their fields.

#include <optional>
#include <string>
#include <string_view>

#include "host/fake_platform.h"

namespace kestro::test {

// The machine recorded in `json`; nothing, with the reason in `error`, when the text is not a
// recording.
std::optional<FakePlatform> load_machine(std::string_view json, std::string& error);

// The whole content of a file, or nothing when it cannot be read.
std::optional<std::string> read_file(const std::string& path);

}  // namespace kestro::test

#pragma once
// Starting the verified installer while it is still held.

#include <optional>
#include <string>
#include <string_view>

#include "app/updater/platform.h"

namespace kestro::updater {

// Starts the held installer directly (no shell, no elevation request, no creation flags,
// standard handles inherited) and closes its process and thread handles; only when `path`
// still names the very file that is held. Nothing when it started; otherwise the signature
// text (`path` leads elsewhere now) or the system error text.
std::optional<std::string> start_installer(const HeldFile& file, std::string_view path,
                                           std::string_view command_line);

}  // namespace kestro::updater

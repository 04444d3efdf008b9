#pragma once
// Drive usage rows of the Storage card: one gauge row per fixed drive letter.

#include <optional>
#include <string>
#include <string_view>

#include "probe/platform.h"
#include "probe/report.h"

namespace kestro::probe {

// "C:" from the root path "C:\": every trailing backslash removed.
std::string drive_name(std::string_view root_path);

// The usage row of one fixed drive; nothing when its space could not be read or its total is
// 0. Free space above the total counts as nothing used.
std::optional<Row> drive_row(std::string_view name, const std::optional<DriveSpace>& space);

}  // namespace kestro::probe

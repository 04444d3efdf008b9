#pragma once
// Displays card: one line per active display path with its desktop resolution and refresh.

#include <vector>

#include "probe/platform.h"
#include "probe/report.h"

namespace kestro::probe {

// One row per path with a usable source mode, in the platform's order. A path is dropped when
// its source-mode index is out of range, points at a mode that is not a source mode, or the
// mode's width is 0; unnamed displays are numbered among the kept paths only.
std::vector<Row> display_rows(const DisplayConfig& config);

}  // namespace kestro::probe

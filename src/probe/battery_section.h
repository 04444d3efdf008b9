#pragma once
// Battery card: per battery its name, health against its capacity when new, the two
// capacities and the cycle count, then one line with the charge level and power source.

#include <optional>
#include <vector>

#include "probe/platform.h"
#include "probe/report.h"

namespace kestro::probe {

// Rows of every battery record in order; a battery with nothing to show adds nothing. When
// two or more batteries show rows, each one's rows start with its name.
std::vector<Row> battery_record_rows(const std::vector<BatteryInfo>& batteries);

// The closing "Now" line; nothing when the charge level is unknown (above 100).
std::optional<Row> now_row(const PowerStatus& status);

}  // namespace kestro::probe

#pragma once
// Displays card: one line per active display path with its desktop resolution and refresh.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "probe/json_fields.h"
#include "probe/platform.h"
#include "probe/report.h"

namespace kestro::probe {

// One active display path with a usable source mode.
struct DisplayFacts {
  std::string name;                   // friendly name; empty when unknown
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::optional<double> refresh_hz;   // present when the rate is above 0
};

// The paths with a usable source mode, in the platform's order. A path is dropped when its
// source-mode index is out of range, points at a mode that is not a source mode, or the mode's
// width is 0.
std::vector<DisplayFacts> display_facts(const DisplayConfig& config);

// Reads the display configuration; nothing when it cannot be read.
std::vector<DisplayFacts> read_displays(ProbePlatform& platform);

// One row per display; unnamed displays are numbered among the listed ones.
std::vector<Row> display_rows(const std::vector<DisplayFacts>& displays);

// The refresh rate as the rows show it: whole hertz, halves to the even neighbour.
std::uint64_t whole_hertz(double refresh_hz);

// The document's "displays" list.
Json displays_json(const std::vector<DisplayFacts>& displays);

}  // namespace kestro::probe

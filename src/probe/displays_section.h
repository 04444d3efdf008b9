#pragma once
// Displays card: one line per active display path with its desktop resolution and refresh.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "i18n/text_pair.h"
#include "probe/json_fields.h"
#include "probe/platform.h"
#include "probe/report.h"

namespace kestro::probe {

// The Displays card's texts.
inline constexpr TextPair kDisplaysHeading{"모니터", "Displays"};
inline constexpr TextPair kMonitorLabel{"모니터", "Monitor"};
// Every text the Displays card shows but its heading.
inline constexpr auto kDisplaysTexts = std::to_array<TextPair>({
    kMonitorLabel});

// One active display path with a usable source mode.
struct DisplayFacts {
  std::string name;                   // friendly name; empty when unknown
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::optional<double> refresh_hz;   // present when the rate is above 0
};

// Reads the display configuration; nothing when it cannot be read.
std::vector<DisplayFacts> read_displays(ProbePlatform& platform);

// One row per display; unnamed displays are numbered among the listed ones.
std::vector<Row> display_rows(const std::vector<DisplayFacts>& displays);

// The document's "displays" list.
Json displays_json(const std::vector<DisplayFacts>& displays);

}  // namespace kestro::probe

#include "probe/displays_section.h"

#include <string>

#include "base/text.h"
#include "i18n/translate.h"
#include "probe/format.h"
#include "probe/row_values.h"

namespace kestro::probe {
namespace {

constexpr std::uint32_t kSourceMode = 1;  // DISPLAYCONFIG_MODE_INFO_TYPE_SOURCE

// The paths with a usable source mode, in the platform's order. A path is dropped when its
// source-mode index is out of range, points at a mode that is not a source mode, or the mode's
// width is 0.
std::vector<DisplayFacts> display_facts(const DisplayConfig& config) {
  std::vector<DisplayFacts> displays;
  for (const DisplayPath& path : config.paths) {
    const std::size_t index = path.source_mode_index;
    if (index >= config.modes.size()) continue;
    const DisplayMode& mode = config.modes[index];
    if (mode.info_type != kSourceMode || mode.width == 0) continue;
    DisplayFacts& display = displays.emplace_back();
    display.name = path.friendly_name.value_or(std::string());
    display.width = mode.width;
    display.height = mode.height;
    if (path.refresh_denominator != 0) {
      const double refresh = static_cast<double>(path.refresh_numerator) /
                             static_cast<double>(path.refresh_denominator);
      if (refresh > 0.0) display.refresh_hz = refresh;
    }
  }
  return displays;
}

// The refresh rate as the rows show it: whole hertz, halves to the even neighbour.

}  // namespace

std::vector<DisplayFacts> read_displays(ProbePlatform& platform) {
  const std::optional<DisplayConfig> config = platform.display_config();
  if (!config) return {};
  return display_facts(*config);
}

std::vector<Row> display_rows(const std::vector<DisplayFacts>& displays) {
  std::vector<Row> rows;
  for (std::size_t i = 0; i < displays.size(); ++i) {
    const DisplayFacts& display = displays[i];
    std::string label = display.name;
    if (label.empty()) label = std::string(translate(kMonitorLabel)) + " " + decimal(i + 1);
    std::string value = decimal(display.width) + std::string(kTimesSign) + decimal(display.height);
    if (display.refresh_hz) value.append(kMiddleDot).append(fixed(*display.refresh_hz, 0)).append(" Hz");
    rows.push_back(Row::plain(std::move(label), std::move(value)));
  }
  return rows;
}

Json displays_json(const std::vector<DisplayFacts>& displays) {
  Json list = Json::array();
  for (const DisplayFacts& display : displays) {
    Json object = Json::object();
    put_text(object, "name", display.name);
    object["width"] = display.width;
    object["height"] = display.height;
    if (display.refresh_hz) object["refresh_hz"] = whole_number(*display.refresh_hz);
    list.push_back(std::move(object));
  }
  return list;
}

}  // namespace kestro::probe

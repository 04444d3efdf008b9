#include "probe/displays_section.h"

#include <string>

#include "i18n/translate.h"
#include "probe/format.h"
#include "probe/row_values.h"
#include "probe/sections.h"

namespace kestro::probe {
namespace {

constexpr std::uint32_t kSourceMode = 1;  // DISPLAYCONFIG_MODE_INFO_TYPE_SOURCE

}  // namespace

std::vector<Row> display_rows(const DisplayConfig& config) {
  std::vector<Row> rows;
  std::uint64_t kept = 0;
  for (const DisplayPath& path : config.paths) {
    const std::size_t index = path.source_mode_index;
    if (index >= config.modes.size()) continue;
    const DisplayMode& mode = config.modes[index];
    if (mode.info_type != kSourceMode || mode.width == 0) continue;
    ++kept;

    std::string label;
    if (path.friendly_name && !path.friendly_name->empty()) {
      label = *path.friendly_name;
    } else {
      label = std::string(translate({"모니터", "Monitor"})) + " " + decimal(kept);
    }

    std::string value = decimal(mode.width) + std::string(kTimesSign) + decimal(mode.height);
    const double refresh = path.refresh_denominator != 0
                               ? static_cast<double>(path.refresh_numerator) /
                                     static_cast<double>(path.refresh_denominator)
                               : 0.0;
    if (refresh > 0.0) value.append(kMiddleDot).append(fixed(refresh, 0)).append(" Hz");
    rows.push_back(Row::plain(std::move(label), std::move(value)));
  }
  return rows;
}

std::vector<Row> probe_displays(ProbePlatform& platform) {
  const std::optional<DisplayConfig> config = platform.display_config();
  if (!config) return {};
  return display_rows(*config);
}

}  // namespace kestro::probe

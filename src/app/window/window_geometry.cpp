#include "app/window/window_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/view/scale.h"

namespace kestro::app {

std::int32_t truncate_to_int32(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  constexpr double kMin = std::numeric_limits<std::int32_t>::min();
  if (value >= kMax) return std::numeric_limits<std::int32_t>::max();
  if (value <= kMin) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);  // truncates towards zero
}

Size32 min_track_size(std::uint32_t dpi) {
  const double scale = static_cast<double>(floor_dpi(dpi)) / 96.0;
  return Size32{truncate_to_int32(520.0 * scale), truncate_to_int32(420.0 * scale)};
}

WindowRect default_window_rect(WindowRect work_area, std::uint32_t dpi) {
  const double scale = static_cast<double>(floor_dpi(dpi)) / 96.0;
  const std::int32_t height = truncate_to_int32(0.85 * work_area.height);
  const std::int32_t width = std::min(truncate_to_int32(1080.0 * scale), work_area.width);
  // 64-bit arithmetic: a huge work area must not overflow on the way.
  const auto centre = [](std::int64_t origin, std::int64_t outer, std::int64_t inner) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(origin + (outer - inner) / 2,
                                 std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
  };
  return WindowRect{centre(work_area.x, work_area.width, width),
                    centre(work_area.y, work_area.height, height), width, height};
}

}  // namespace kestro::app

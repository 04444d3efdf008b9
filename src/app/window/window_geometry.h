#pragma once
// Window sizes that depend only on numbers: the minimum tracking size and the centred default
// window on the primary monitor's work area.

#include <cstdint>

namespace kestro::app {

// Truncates towards zero; NaN gives 0 and values outside the 32-bit range saturate.
std::int32_t truncate_to_int32(double value);

struct Size32 {
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const Size32&, const Size32&) = default;
};

struct WindowRect {
  std::int32_t x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

// 520 × 420 design pixels at the window's DPI (floored to 96), each truncated.
Size32 min_track_size(std::uint32_t dpi);

// 1080 design pixels wide (never wider than the work area) and 0.85 of the work area's height
// (not scaled), centred in the work area with integer halving.
WindowRect default_window_rect(WindowRect work_area, std::uint32_t dpi);

}  // namespace kestro::app

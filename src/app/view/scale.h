#pragma once
// Every design measure is multiplied by the scale of the window's DPI: DPI / 96.

#include <algorithm>
#include <cstdint>

namespace kestro::app {

// A DPI below 96 counts as 96, so nothing is ever drawn smaller than its design size.
constexpr std::uint32_t floor_dpi(std::uint32_t dpi) { return std::max<std::uint32_t>(dpi, 96); }

constexpr float scale_of_dpi(std::uint32_t dpi) { return static_cast<float>(floor_dpi(dpi)) / 96.0f; }

}  // namespace kestro::app

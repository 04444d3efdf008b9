#pragma once
// What a point of the window lies on: a toolbar button, one row of a card, or nothing.

#include <cstdint>

namespace kestro::app {

enum class HitKind : std::uint8_t {
  None = 0,
  CopyAll = 1,
  ViewAsAdmin = 2,
  Refresh = 3,
  Menu = 4,
  Value = 5,
};

struct HitTarget {
  HitKind kind = HitKind::None;
  // Positions in the report; meaningful only for Value.
  std::uint64_t section = 0;
  std::uint64_t row = 0;

  static constexpr HitTarget value(std::uint64_t section_index, std::uint64_t row_index) {
    return HitTarget{HitKind::Value, section_index, row_index};
  }

  // The indexes count only for Value: two button targets are equal whatever they carry.
  friend constexpr bool operator==(const HitTarget& a, const HitTarget& b) {
    if (a.kind != b.kind) return false;
    return a.kind != HitKind::Value || (a.section == b.section && a.row == b.row);
  }
};

// What a released click (or a key that presses the focused element) asks for; it runs once the
// window's state is free again.
struct ClickAction {
  HitTarget target;
  float x = 0, y = 0;  // the release point, client pixels
};

}  // namespace kestro::app

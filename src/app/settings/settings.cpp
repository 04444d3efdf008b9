#include "app/settings/settings.h"

#include "base/text.h"

namespace kestro::app {

std::uint64_t parse_last_update_check(const std::optional<std::string>& text) {
  if (!text) return 0;
  return parse_unsigned(*text).value_or(0);
}

std::string format_last_update_check(std::uint64_t seconds) { return std::to_string(seconds); }

bool auto_update_enabled(std::optional<std::uint32_t> flag) { return !flag || *flag != 0; }

std::uint32_t toggled_auto_update(std::optional<std::uint32_t> flag) {
  return auto_update_enabled(flag) ? 0u : 1u;
}

namespace {

std::uint32_t load_u32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::int32_t load_i32(const std::uint8_t* p) { return static_cast<std::int32_t>(load_u32(p)); }

void store_u32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

}  // namespace

std::optional<StoredPlacement> decode_placement(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kPlacementSize) return std::nullopt;
  const std::uint8_t* p = bytes.data();
  StoredPlacement placement;
  placement.length = load_u32(p + 0);
  placement.flags = load_u32(p + 4);
  placement.show_cmd = load_u32(p + 8);
  placement.min_x = load_i32(p + 12);
  placement.min_y = load_i32(p + 16);
  placement.max_x = load_i32(p + 20);
  placement.max_y = load_i32(p + 24);
  placement.left = load_i32(p + 28);
  placement.top = load_i32(p + 32);
  placement.right = load_i32(p + 36);
  placement.bottom = load_i32(p + 40);
  return placement;
}

std::array<std::uint8_t, kPlacementSize> encode_placement(const StoredPlacement& placement) {
  std::array<std::uint8_t, kPlacementSize> bytes{};
  const std::uint32_t fields[] = {
      placement.length,
      placement.flags,
      placement.show_cmd,
      static_cast<std::uint32_t>(placement.min_x),
      static_cast<std::uint32_t>(placement.min_y),
      static_cast<std::uint32_t>(placement.max_x),
      static_cast<std::uint32_t>(placement.max_y),
      static_cast<std::uint32_t>(placement.left),
      static_cast<std::uint32_t>(placement.top),
      static_cast<std::uint32_t>(placement.right),
      static_cast<std::uint32_t>(placement.bottom),
  };
  for (std::size_t i = 0; i < std::size(fields); ++i) store_u32(bytes.data() + 4 * i, fields[i]);
  return bytes;
}

std::uint32_t prepare_for_restore(StoredPlacement& placement) {
  const bool maximized = placement.show_cmd == kShowMaximized;
  placement.length = static_cast<std::uint32_t>(kPlacementSize);
  placement.flags = 0;
  placement.show_cmd = 0;
  return maximized ? kShowMaximized : kShowNormal;
}

}  // namespace kestro::app

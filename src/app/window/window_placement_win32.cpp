#include "app/window/window_placement_win32.h"

#include <cstdint>
#include <array>
#include <cstring>
#include <span>
#include <vector>

#include "app/settings/settings.h"
#include "app/settings/settings_registry_win32.h"
#include "app/window/window_geometry.h"

namespace kestro::app {
namespace {

static_assert(sizeof(WINDOWPLACEMENT) == kPlacementSize,
              "the stored placement is a WINDOWPLACEMENT byte for byte");

WINDOWPLACEMENT to_windowplacement(const StoredPlacement& stored) {
  const std::array<std::uint8_t, kPlacementSize> bytes = encode_placement(stored);
  WINDOWPLACEMENT placement{};
  std::memcpy(&placement, bytes.data(), sizeof(placement));
  return placement;
}

}  // namespace

std::optional<int> restore_stored_placement(HWND hwnd) {
  std::optional<std::vector<std::uint8_t>> bytes = RegistrySettings{}.read_placement();
  if (!bytes) return std::nullopt;
  // A value of any other size than 44 bytes is ignored silently.
  std::optional<StoredPlacement> stored = decode_placement(*bytes);
  if (!stored) return std::nullopt;
  const std::uint32_t show_command = prepare_for_restore(*stored);  // the window stays hidden
  const WINDOWPLACEMENT placement = to_windowplacement(*stored);
  // Twice: when the normal rectangle lies on a monitor with another DPI, the first call moves
  // the window there and the second sizes it at that monitor's DPI.
  (void)SetWindowPlacement(hwnd, &placement);
  (void)SetWindowPlacement(hwnd, &placement);
  return static_cast<int>(show_command);
}

void place_default_window(HWND hwnd) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY);
  if (!GetMonitorInfoW(monitor, &info)) info.rcWork = RECT{};
  const RECT& work = info.rcWork;
  const WindowRect rect = default_window_rect(
      WindowRect{work.left, work.top, work.right - work.left, work.bottom - work.top},
      GetDpiForWindow(hwnd));
  (void)SetWindowPos(hwnd, nullptr, rect.x, rect.y, rect.width, rect.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void save_placement(HWND hwnd) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!GetWindowPlacement(hwnd, &placement)) return;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&placement);
  RegistrySettings{}.write_placement(std::span<const std::uint8_t>(bytes, sizeof(placement)));
}

}  // namespace kestro::app

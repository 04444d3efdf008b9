#include "app/window_placement_win32.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "app/registry_win32.h"
#include "app/window_geometry.h"

namespace kestro::app {
namespace {

constexpr const char* kSettingsKey = "Software\\Kestro";
constexpr const char* kPlacementValue = "Placement";
static_assert(sizeof(WINDOWPLACEMENT) == 44, "the stored placement is a 44-byte WINDOWPLACEMENT");

}  // namespace

std::optional<int> restore_stored_placement(HWND hwnd) {
  std::optional<std::vector<std::uint8_t>> bytes =
      read_registry_binary(HKEY_CURRENT_USER, kSettingsKey, kPlacementValue);
  // A value of any other size is ignored silently.
  if (!bytes || bytes->size() != sizeof(WINDOWPLACEMENT)) return std::nullopt;
  WINDOWPLACEMENT placement{};
  std::memcpy(&placement, bytes->data(), sizeof(placement));
  const bool maximized = placement.showCmd == SW_SHOWMAXIMIZED;
  // The window stays hidden until the first ShowWindow.
  placement.flags = 0;
  placement.showCmd = 0;
  placement.length = sizeof(placement);
  // Twice: when the normal rectangle lies on a monitor with another DPI, the first call moves
  // the window there and the second sizes it at that monitor's DPI.
  (void)SetWindowPlacement(hwnd, &placement);
  (void)SetWindowPlacement(hwnd, &placement);
  return maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
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
  (void)write_registry_binary(HKEY_CURRENT_USER, kSettingsKey, kPlacementValue,
                              std::span<const std::uint8_t>(bytes, sizeof(placement)));
}

}  // namespace kestro::app

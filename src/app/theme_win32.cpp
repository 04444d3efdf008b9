#include "app/theme_win32.h"

#include <dwmapi.h>

#include <cstdint>
#include <optional>

#include "base/registry_win32.h"

namespace kestro::app {
namespace {

constexpr const char* kPersonalizeKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
// DWMWA_USE_IMMERSIVE_DARK_MODE; older SDK headers do not name it.
constexpr DWORD kImmersiveDarkMode = 20;

}  // namespace

bool is_dark_theme() {
  std::optional<std::uint32_t> light =
      read_registry_dword(HKEY_CURRENT_USER, kPersonalizeKey, "AppsUseLightTheme");
  return light.has_value() && *light == 0;
}

void apply_dark_title_bar(HWND hwnd, bool dark) {
  const std::uint32_t value = dark ? 1u : 0u;
  (void)DwmSetWindowAttribute(hwnd, kImmersiveDarkMode, &value, sizeof(value));
}

}  // namespace kestro::app

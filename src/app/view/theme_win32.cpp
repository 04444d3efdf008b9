#include "app/view/theme_win32.h"

#include <cstdint>
#include <optional>

#include "base/registry_win32.h"
#include "base/system_library_win32.h"

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
  static const SystemFunction<HRESULT, HWND, DWORD, LPCVOID, DWORD> set_attribute(
      L"dwmapi.dll", "DwmSetWindowAttribute", E_NOTIMPL);
  const std::uint32_t value = dark ? 1u : 0u;
  (void)set_attribute(hwnd, kImmersiveDarkMode, &value, sizeof(value));
}

SystemColours system_colours() {
  const auto colour = [](int index) {
    return colour_from_colorref(static_cast<std::uint32_t>(GetSysColor(index)));
  };
  return SystemColours{colour(COLOR_WINDOW),     colour(COLOR_WINDOWTEXT), colour(COLOR_HIGHLIGHT),
                       colour(COLOR_HIGHLIGHTTEXT), colour(COLOR_BTNFACE),  colour(COLOR_GRAYTEXT),
                       colour(COLOR_HOTLIGHT)};
}

std::optional<SystemColours> high_contrast_colours() {
  HIGHCONTRASTW high_contrast{};
  high_contrast.cbSize = sizeof(high_contrast);
  if (!SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(high_contrast), &high_contrast, 0) ||
      (high_contrast.dwFlags & HCF_HIGHCONTRASTON) == 0) {
    return std::nullopt;
  }
  return system_colours();
}

}  // namespace kestro::app

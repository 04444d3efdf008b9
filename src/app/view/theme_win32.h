#pragma once
// The Windows "apps" colour mode and the dark title bar that follows it.

#include <windows.h>

#include <optional>

#include "app/view/palette.h"

namespace kestro::app {

// Dark exactly when AppsUseLightTheme reads as a DWORD 0; missing, another type or any other
// value means light (older Windows has no such value).
bool is_dark_theme();

// Asks the frame for dark (or light) colours; the call's outcome is ignored.
void apply_dark_title_bar(HWND hwnd, bool dark);

// The seven system colours the high-contrast palette is made of (GetSysColor).
SystemColours system_colours();
// Those colours while a high-contrast theme is on (SPI_GETHIGHCONTRAST); nothing otherwise,
// also when the question fails.
std::optional<SystemColours> high_contrast_colours();

}  // namespace kestro::app

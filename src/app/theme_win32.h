#pragma once
// The Windows "apps" colour mode and the dark title bar that follows it.

#include <windows.h>

namespace kestro::app {

// Dark exactly when AppsUseLightTheme reads as a DWORD 0; missing, another type or any other
// value means light (older Windows has no such value).
bool is_dark_theme();

// Asks the frame for dark (or light) colours; the call's outcome is ignored.
void apply_dark_title_bar(HWND hwnd, bool dark);

}  // namespace kestro::app

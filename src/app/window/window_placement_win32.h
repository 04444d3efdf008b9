#pragma once
// The window's size and position between runs, kept as the 44-byte Placement setting.

#include <windows.h>

#include <optional>

namespace kestro::app {

// Puts the window (still hidden) where the stored placement says. Gives the command for the
// first ShowWindow: SW_SHOWMAXIMIZED when it was stored maximized, else SW_SHOWNORMAL (a
// stored minimized window comes back normal). Nothing when no usable placement is stored.
std::optional<int> restore_stored_placement(HWND hwnd);

// Centres a default-sized window on the primary monitor's work area.
void place_default_window(HWND hwnd);

// Stores the window's current placement; failures are ignored.
void save_placement(HWND hwnd);

}  // namespace kestro::app

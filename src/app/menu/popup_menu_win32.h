#pragma once
// The pop-up menu of the toolbar's Menu button, made from the portable menu model.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "app/menu/context_menu.h"

namespace kestro::app {

// Builds the menu, tracks it with its top-left corner at the client point (x, y) of `owner`
// and returns the chosen command id, or 0 when it was dismissed or could not be made. A
// submenu that cannot be made is left out with its entry; an item that cannot be appended is
// missing. Runs the menu's modal loop: the window procedure keeps receiving messages.
std::uint32_t track_popup_menu(HWND owner, const std::vector<MenuItem>& menu, int x, int y);

}  // namespace kestro::app

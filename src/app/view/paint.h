#pragma once
// One complete frame of the window: loading screen or cards, toolbar, toast.

#include <string_view>

#include "app/view/app_state.h"
#include "app/view/layout.h"
#include "app/view/palette.h"
#include "gfx/canvas.h"

namespace kestro::app {

// The colours of a frame: the high-contrast palette while high contrast is on, otherwise the
// light or the dark one.
Palette active_palette(const AppState& state);

// Draws everything from the state; the canvas also measures the texts. The host wraps this
// in its frame begin and end.
void paint(const AppState& state, gfx::Canvas& canvas, ClientSize client, Clock::time_point now);

// Number of full stops of the loading text after `elapsed` (1, 2, 3, 1, …).
int loading_dots(Clock::duration elapsed);

// The "Segoe MDL2 Assets" glyph of a card's heading, as UTF-8.
std::string_view card_glyph(SectionKind kind);

// True when a caption is an icon glyph: its first character lies in U+E000 to U+F8FF.
bool is_icon_caption(std::string_view caption);

}  // namespace kestro::app

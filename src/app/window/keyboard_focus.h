#pragma once
// The keyboard focus: which elements take it and in what order, how Tab, Shift+Tab, Enter and
// Space move and use it, how the focused row is kept in view and across a refresh.
//
// The focus is a `HitTarget` (a toolbar button or a row) in `AppState::focus`. The focus
// rectangle is drawn only while `AppState::focus_visible` is set: keys that use the focus set
// it, a mouse click clears it (and moves the focus to what was clicked, when it can take it).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/view/app_state.h"
#include "app/view/hit_target.h"
#include "app/view/layout.h"
#include "app/window/window_host.h"
#include "gfx/canvas.h"

namespace kestro::app {

inline constexpr std::uint32_t kVkTab = 0x09;
inline constexpr std::uint32_t kVkReturn = 0x0D;
inline constexpr std::uint32_t kVkSpace = 0x20;

// Everything that takes the focus, in Tab order: the toolbar buttons from left to right (none
// without a measurer, as for the hit test), then every row of every card, cards in reading
// order and rows top to bottom.
std::vector<HitTarget> focus_order(const AppState& state, ClientSize client,
                                   gfx::TextMeasurer* measurer);

// The element after (or before) `current` in `order`, wrapping around at both ends. From
// nothing, or from an element that is not in the order (any more), forwards starts at the
// first element and backwards at the last. None for an empty order.
HitTarget next_focus(const std::vector<HitTarget>& order, const HitTarget& current,
                     bool backwards);

// Where a focused element lies in client pixels right now (rows with the scroll applied);
// nothing for an element the window does not show.
std::optional<gfx::RectF> focus_rect(const AppState& state, ClientSize client,
                                     gfx::TextMeasurer* measurer, const HitTarget& target);

// Scrolls the least that shows a row (the first row of a card with its heading) between the
// toolbar and the bottom edge, with a margin of 8 s; its top wins when it does not fit.
// Buttons never scroll. The scroll stays clamped.
void scroll_into_view(AppState& state, ClientSize client, const HitTarget& target);

// Gives `target` the focus (None takes it away); `visible` decides about the focus rectangle.
// A row is scrolled into view when the rectangle shows. A remembered row is forgotten.
// Repaints when anything changed.
void set_focus(AppState& state, WindowHost& host, const HitTarget& target, bool visible);

// What pressing `target` with a key asks for: what a released click on it does. Buttons are
// "clicked" at the left end of their bottom edge, rows at their centre. Nothing for an element
// the window does not show.
std::optional<ClickAction> press_action(const AppState& state, ClientSize client,
                                        gfx::TextMeasurer* measurer, const HitTarget& target);

// Tab (Shift+Tab backwards) moves the focus; Enter and Space use it. `handled` is false for
// every other key, which then keeps its old meaning. `action` is what Enter or Space asks for:
// exactly what a released click on the focused element does, to be run with the state slot
// released (WindowController::run_click_action).
struct FocusKeyOutcome {
  bool handled = false;
  std::optional<ClickAction> action;
};
FocusKeyOutcome on_focus_key(AppState& state, WindowHost& host, std::uint32_t virtual_key,
                             bool shift_down);

// A released click on `clicked`: the focus rectangle goes; a button or row takes the focus.
void on_click_focus(AppState& state, WindowHost& host, const HitTarget& clicked);

// Before a refresh drops the report: a focused row is remembered by what it shows and the
// focus is taken off it (nothing is focused while the report is away).
void remember_focused_row(AppState& state);
// After a new report arrived: the remembered row, when the new report has it, takes the focus
// again (and is scrolled into view when the rectangle shows); without it nothing is focused.
// A row focus whose indexes the report does not have is dropped.
void restore_focused_row(AppState& state, WindowHost& host);

}  // namespace kestro::app

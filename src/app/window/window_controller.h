#pragma once
// The window's behaviour apart from platform calls: what each message does to the `AppState`.
//
// Two levels:
// - free functions on an already claimed `AppState` (the building blocks, used by the tests);
// - `WindowController`, one method per window message, which claims the state slot itself,
//   backs off when the slot is empty or in use, and releases it before running an operation
//   that claims it again (copy, menu, relaunch, refresh after a click).
// The Windows window procedure only decodes the message and calls the controller.

#include <cstdint>
#include <optional>
#include <string>

#include "app/menu/menu_commands.h"
#include "app/view/app_state.h"
#include "app/view/hit_target.h"
#include "app/view/layout.h"
#include "app/window/window_host.h"
#include "base/toast_sink.h"
#include "probe/probe_slot.h"
#include "probe/report.h"

namespace kestro::app {

// Virtual-key codes the window reacts to.
inline constexpr std::uint32_t kVkPrior = 0x21;
inline constexpr std::uint32_t kVkNext = 0x22;
inline constexpr std::uint32_t kVkEnd = 0x23;
inline constexpr std::uint32_t kVkHome = 0x24;
inline constexpr std::uint32_t kVkUp = 0x26;
inline constexpr std::uint32_t kVkDown = 0x28;
inline constexpr std::uint32_t kVkC = 0x43;
inline constexpr std::uint32_t kVkF5 = 0x74;

// ---- Geometry against the state -------------------------------------------------------

// The element under the client point (x, y): toolbar buttons first (none without a measurer),
// nothing in the toolbar band, then the rows in content coordinates.
HitTarget hit_test(const AppState& state, ClientSize client, gfx::TextMeasurer* measurer,
                   float x, float y);
float max_scroll(const AppState& state, ClientSize client);
// scroll = min(max(scroll, 0), max_scroll).
void clamp_scroll(AppState& state, ClientSize client);

// ---- Operations on a claimed state ------------------------------------------------------

// Stamps the loading time, starts the probe thread and the loading timer, repaints. When no
// thread can be started the window does not enter the loading state, so a refresh can retry.
void start_probe(AppState& state, WindowHost& host);
// Drops the report and starts a probe, unless one is already running.
void refresh(AppState& state, WindowHost& host);
// What was taken from the probe slot. Nothing: nothing changes (the window keeps loading). A
// run that broke off without a report ends the loading state, so a refresh can try again.
void on_probe_done(AppState& state, WindowHost& host, std::optional<probe::ProbeOutcome> outcome);
// The client area changed size: the drawing buffers follow, the scroll is clamped.
void on_size(AppState& state, WindowHost& host);
void on_mouse_move(AppState& state, WindowHost& host, int x, int y);
void on_mouse_leave(AppState& state, WindowHost& host);
void on_wheel(AppState& state, WindowHost& host, int delta);
void on_key(AppState& state, WindowHost& host, std::uint32_t virtual_key, bool ctrl_down);
// The toast timer's tick (the timer itself has already been killed).
void on_toast_timer(AppState& state, WindowHost& host);
// The loading timer's tick: the next frame of the animation.
void on_loading_timer(AppState& state, WindowHost& host);
// Stores the theme; true (and a repaint) only when it changed.
bool on_theme(AppState& state, WindowHost& host, bool dark);

void show_toast(AppState& state, WindowHost& host, std::string text);
// Whole report to the clipboard, toast on success; nothing without a report.
void copy_all(AppState& state, WindowHost& host);
// One row "label: text" to the clipboard, toast on success; nothing for stale indexes.
void copy_value(AppState& state, WindowHost& host, std::uint64_t section, std::uint64_t row);

// The left button went down: remembers what it went down on and keeps the release coming.
void on_left_button_down(AppState& state, WindowHost& host, int x, int y);
// The release acts only when the press went down on the same button or row (as Windows
// buttons do): so the release that ends a double-click on the title bar, or a press dragged
// off a button or row, does nothing.
ClickAction on_left_button_up(AppState& state, WindowHost& host, int x, int y);

// ---- Message level -----------------------------------------------------------------------

class WindowController final : public ToastSink {
 public:
  using Slot = StateSlot<AppState>;

  // Installs itself as the state slot's release hook, so a probe outcome that arrived while
  // the state was lent out is taken as soon as it is given back.
  WindowController(Slot& slot, WindowHost& host, probe::ProbeSlot& probes, MenuCommands& menu);
  ~WindowController() override;
  WindowController(const WindowController&) = delete;
  WindowController& operator=(const WindowController&) = delete;

  // The first probe run at start-up.
  void start();
  void on_size();
  void on_mouse_move(int x, int y);
  void on_mouse_leave();
  void on_left_button_down(int x, int y);
  // Hit test at the release point with the slot held, then the action with it released.
  void on_left_button_up(int x, int y);
  // The mouse capture went elsewhere (another window, a modal loop): the press is forgotten.
  void on_capture_lost();
  void on_wheel(int delta);
  // Tab, Shift+Tab, Enter and Space act on the keyboard focus (keyboard_focus.h); Enter and
  // Space then run the focused element's click action with the slot released.
  void on_key(std::uint32_t virtual_key, bool ctrl_down, bool shift_down = false);
  // False for a timer id the window does not own (pass it on to DefWindowProcW). A loading
  // tick also ends a run that will never tell the window (its message was lost).
  bool on_timer(std::uintptr_t id);
  // True when the theme changed: the host then updates the title bar.
  bool on_theme(bool dark);
  // Stores the new DPI (low word of wParam) and gives the scale the drawing device's text
  // formats must take: the state's own, so a DPI below 96 counts as 96 for text as for every
  // other measure. Nothing when the state is missing or busy (then nothing changes).
  std::optional<float> on_dpi_changed(std::uint32_t dpi);
  // Claims the state first, then takes the outcome; a busy state leaves it waiting in the
  // probe slot until the state is released.
  void on_probe_done();
  // Validates the window, then paints one frame of the state, or nothing when the state is
  // busy or the host cannot draw now.
  void on_paint();

  // Entry points for the other parts of the window (menu commands, updates, UI Automation).
  void refresh();
  void copy_all();
  void copy_value(std::uint64_t section, std::uint64_t row);
  void show_toast(std::string text) override;

  // Runs a click's action with the slot released (public for the tests).
  void run_click_action(const ClickAction& action);

  // Presses a button or row as Enter does when it has the focus, leaving the focus where it is
  // (UI Automation's Invoke). Nothing for an element the window does not show.
  void press(const HitTarget& target);
  // Gives a button or row the focus with its rectangle showing (UI Automation's SetFocus).
  void focus(const HitTarget& target);
  // The system colours while a high-contrast theme is on, nothing otherwise. True (and a
  // repaint) when that changed.
  bool on_high_contrast(std::optional<SystemColours> colours);

 private:
  Slot& slot_;
  WindowHost& host_;
  probe::ProbeSlot& probes_;
  MenuCommands& menu_;
  bool probe_waiting_ = false;  // a done message found the state in use
};

}  // namespace kestro::app

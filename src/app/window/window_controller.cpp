#include "app/window/window_controller.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "app/view/paint.h"
#include "app/view/palette.h"
#include "app/view/text_report.h"
#include "app/view/texts.h"
#include "app/window/keyboard_focus.h"
#include "app/window/window_geometry.h"
#include "i18n/translate.h"

namespace kestro::app {

namespace {

void scroll_to(AppState& state, WindowHost& host, float target) {
  state.scroll = target;
  clamp_scroll(state, host.client_size());
  host.invalidate();
}

}  // namespace

HitTarget hit_test(const AppState& state, ClientSize client, gfx::TextMeasurer* measurer,
                   float x, float y) {
  const float s = state.scale();
  const Report* report = state.shown_report();
  for (const ToolbarButton& button : layout_toolbar(client, s, report, measurer)) {
    if (gfx::contains(button.rect, x, y)) return HitTarget{button.kind, 0, 0};
  }
  // Rows scrolled under the toolbar are out of reach there.
  if (y < layout_metrics(client, s).toolbar) return HitTarget{};

  const CardLayout layout = layout_cards(client, s, report);
  const float content_y = y + state.scroll;
  for (std::size_t i = 0; i < layout.cards.size(); ++i) {
    const auto& rows = layout.cards[i].rows;
    for (std::size_t k = 0; k < rows.size(); ++k) {
      if (gfx::contains(rows[k], x, content_y)) return HitTarget::value(i, k);
    }
  }
  return HitTarget{};
}

float max_scroll(const AppState& state, ClientSize client) {
  return max_scroll(layout_cards(client, state.scale(), state.shown_report()), client);
}

void clamp_scroll(AppState& state, ClientSize client) {
  // Written so that a NaN offset ends up at 0 rather than staying NaN.
  const float top = state.scroll > 0.0f ? state.scroll : 0.0f;
  state.scroll = std::min(top, max_scroll(state, client));
}

void start_probe(AppState& state, WindowHost& host) {
  state.loading_since = host.now();
  if (!host.start_probe_worker()) {
    // No thread, so no result will ever come: not loading, so that F5 can try again.
    state.loading_since.reset();
    host.invalidate();
    return;
  }
  host.set_timer(kTimerLoading, kTimerLoadingPeriodMs);
  host.invalidate();
}

void refresh(AppState& state, WindowHost& host) {
  if (state.loading_since) return;
  remember_focused_row(state);
  state.report.reset();  // the loading screen shows at once
  start_probe(state, host);
}

void on_probe_done(AppState& state, WindowHost& host, std::optional<probe::ProbeOutcome> outcome) {
  if (!outcome) return;  // nothing was handed over: keep loading
  if (outcome->report) state.report = std::move(outcome->report);
  restore_focused_row(state, host);
  state.loading_since.reset();
  host.kill_timer(kTimerLoading);
  clamp_scroll(state, host.client_size());
  host.invalidate();
}

void on_size(AppState& state, WindowHost& host) {
  host.resize_buffers();
  clamp_scroll(state, host.client_size());
  host.invalidate();
}

void on_mouse_move(AppState& state, WindowHost& host, int x, int y) {
  if (!state.mouse_tracked) {
    host.track_mouse_leave();
    state.mouse_tracked = true;  // also when the request failed: no retry on every move
  }
  const HitTarget hit = hit_test(state, host.client_size(), host.measurer(),
                                 static_cast<float>(x), static_cast<float>(y));
  if (hit != state.hover) {
    state.hover = hit;
    host.invalidate();
  }
}

void on_mouse_leave(AppState& state, WindowHost& host) {
  state.mouse_tracked = false;
  if (state.hover.kind != HitKind::None) {
    state.hover = HitTarget{};
    host.invalidate();
  }
}

void on_wheel(AppState& state, WindowHost& host, int delta) {
  // Fractional notches (precision touchpads) scroll proportionally.
  const float notches = static_cast<float>(delta) / 120.0f;
  scroll_to(state, host, state.scroll - notches * 120.0f * state.scale());
}

void on_key(AppState& state, WindowHost& host, std::uint32_t virtual_key, bool ctrl_down) {
  const float page = 0.8f * static_cast<float>(std::max(host.client_size().height, 0));
  const float line = 60.0f * state.scale();
  switch (virtual_key) {
    case kVkPrior: scroll_to(state, host, state.scroll - page); break;
    case kVkNext: scroll_to(state, host, state.scroll + page); break;
    case kVkEnd: scroll_to(state, host, state.scroll + 1'000'000'000.0f); break;
    case kVkHome: scroll_to(state, host, state.scroll - 1'000'000'000.0f); break;
    case kVkUp: scroll_to(state, host, state.scroll - line); break;
    case kVkDown: scroll_to(state, host, state.scroll + line); break;
    case kVkC:
      if (ctrl_down) copy_all(state, host);
      break;
    case kVkF5: refresh(state, host); break;
    default: break;
  }
}

void on_toast_timer(AppState& state, WindowHost& host) {
  if (!state.toast) return;
  // At least 2.4 s old; the timer fires after 2.5 s, so the margin covers early ticks.
  if (host.now() - state.toast_shown_at >= std::chrono::milliseconds(2400)) {
    state.toast.reset();
    host.invalidate();
  }
}

void on_loading_timer(AppState&, WindowHost& host) { host.invalidate(); }

bool on_theme(AppState& state, WindowHost& host, bool dark) {
  if (state.dark == dark) return false;
  state.dark = dark;
  host.invalidate();
  return true;
}

void show_toast(AppState& state, WindowHost& host, std::string text) {
  state.toast = std::move(text);
  state.toast_shown_at = host.now();
  host.set_timer(kTimerToast, kTimerToastPeriodMs);
  host.invalidate();
}

void copy_all(AppState& state, WindowHost& host) {
  if (!state.report) return;
  if (host.set_clipboard_text(plain_text_report(*state.report))) {
    show_toast(state, host, std::string(translate(texts::kCopiedAll)));
  }
}

void copy_value(AppState& state, WindowHost& host, std::uint64_t section, std::uint64_t row) {
  if (!state.report) return;
  const auto& sections = state.report->sections;
  if (section >= sections.size() || row >= sections[section].rows.size()) return;
  std::string line = value_line(sections[section].rows[row]);
  if (!host.set_clipboard_text(line)) return;
  std::string toast(translate(texts::kCopied));
  toast += ' ';
  toast += line;
  show_toast(state, host, std::move(toast));
}

void on_left_button_down(AppState& state, WindowHost& host, int x, int y) {
  state.pressed = hit_test(state, host.client_size(), host.measurer(), static_cast<float>(x),
                           static_cast<float>(y));
  host.capture_mouse();
}

ClickAction on_left_button_up(AppState& state, WindowHost& host, int x, int y) {
  const std::optional<HitTarget> pressed = std::exchange(state.pressed, std::nullopt);
  if (!pressed) return ClickAction{};
  host.release_mouse();
  const float fx = static_cast<float>(x);
  const float fy = static_cast<float>(y);
  const HitTarget released = hit_test(state, host.client_size(), host.measurer(), fx, fy);
  if (released != *pressed) return ClickAction{};
  return ClickAction{released, fx, fy};
}

// ---- WindowController ---------------------------------------------------------------------

WindowController::WindowController(Slot& slot, WindowHost& host, probe::ProbeSlot& probes,
                                   MenuCommands& menu)
    : slot_(slot), host_(host), probes_(probes), menu_(menu) {
  slot_.set_release_hook([this] {
    if (probe_waiting_) on_probe_done();
  });
}

WindowController::~WindowController() { slot_.set_release_hook(nullptr); }

void WindowController::start() {
  if (auto state = slot_.claim()) start_probe(*state, host_);
}

void WindowController::on_size() {
  if (auto state = slot_.claim()) app::on_size(*state, host_);
}

void WindowController::on_mouse_move(int x, int y) {
  if (auto state = slot_.claim()) app::on_mouse_move(*state, host_, x, y);
}

void WindowController::on_mouse_leave() {
  if (auto state = slot_.claim()) app::on_mouse_leave(*state, host_);
}

void WindowController::on_left_button_down(int x, int y) {
  if (auto state = slot_.claim()) app::on_left_button_down(*state, host_, x, y);
}

void WindowController::on_capture_lost() {
  if (auto state = slot_.claim()) state->pressed.reset();
}

void WindowController::on_left_button_up(int x, int y) {
  ClickAction action;
  {
    auto state = slot_.claim();
    if (!state) return;
    action = app::on_left_button_up(*state, host_, x, y);
    on_click_focus(*state, host_, action.target);
  }  // released: the action claims the state itself or runs a modal loop
  run_click_action(action);
}

void WindowController::run_click_action(const ClickAction& action) {
  switch (action.target.kind) {
    case HitKind::CopyAll: copy_all(); break;
    case HitKind::ViewAsAdmin: menu_.relaunch_elevated(); break;
    case HitKind::Refresh: refresh(); break;
    case HitKind::Menu: menu_.open(truncate_to_int32(action.x), truncate_to_int32(action.y)); break;
    case HitKind::Value: copy_value(action.target.section, action.target.row); break;
    case HitKind::None: break;
  }
}

void WindowController::on_wheel(int delta) {
  if (auto state = slot_.claim()) app::on_wheel(*state, host_, delta);
}

void WindowController::on_key(std::uint32_t virtual_key, bool ctrl_down, bool shift_down) {
  std::optional<ClickAction> action;
  {
    auto state = slot_.claim();
    if (!state) return;
    FocusKeyOutcome focus_key = on_focus_key(*state, host_, virtual_key, shift_down);
    if (!focus_key.handled) app::on_key(*state, host_, virtual_key, ctrl_down);
    action = focus_key.action;
  }  // released: the action claims the state itself or runs a modal loop
  if (action) run_click_action(*action);
}

void WindowController::press(const HitTarget& target) {
  std::optional<ClickAction> action;
  {
    auto state = slot_.claim();
    if (!state) return;
    action = press_action(*state, host_.client_size(), host_.measurer(), target);
  }
  if (action) run_click_action(*action);
}

void WindowController::focus(const HitTarget& target) {
  if (auto state = slot_.claim()) {
    if (press_action(*state, host_.client_size(), host_.measurer(), target)) {
      set_focus(*state, host_, target, true);
    }
  }
}

bool WindowController::on_high_contrast(std::optional<SystemColours> colours) {
  auto state = slot_.claim();
  if (!state || state->high_contrast == colours) return false;
  state->high_contrast = colours;
  host_.invalidate();
  return true;
}

bool WindowController::on_timer(std::uintptr_t id) {
  if (id == kTimerToast) {
    // One-shot: killed before anything else, so a busy state leaves the toast in place
    // until the next toast restarts the timer.
    host_.kill_timer(kTimerToast);
    if (auto state = slot_.claim()) on_toast_timer(*state, host_);
    return true;
  }
  if (id == kTimerLoading) {
    if (auto state = slot_.claim()) {
      on_loading_timer(*state, host_);
      // A run whose message never came, or that ended without an outcome, must not keep the
      // window loading: once no run is due to put one, whatever the slot holds is taken.
      if (state->loading_since && !probes_.awaited()) {
        app::on_probe_done(*state, host_, probes_.take().value_or(probe::ProbeOutcome{}));
      }
    }
    return true;
  }
  return false;
}

bool WindowController::on_theme(bool dark) {
  auto state = slot_.claim();
  return state && app::on_theme(*state, host_, dark);
}

std::optional<float> WindowController::on_dpi_changed(std::uint32_t dpi) {
  auto state = slot_.claim();
  if (!state) return std::nullopt;
  state->dpi = dpi;
  return state->scale();
}

void WindowController::on_probe_done() {
  auto state = slot_.claim();
  if (!state) {
    // The outcome stays in the probe slot; the release of the busy state takes it.
    probe_waiting_ = state.failure() == Slot::Failure::InUse;
    return;
  }
  probe_waiting_ = false;
  app::on_probe_done(*state, host_, probes_.take());
}

void WindowController::on_paint() {
  // Validated in every case, so that an undrawable frame does not come back at once; and
  // first, so that a repaint asked for by this frame (a replaced device) is not cancelled.
  host_.validate();
  auto state = slot_.claim();
  if (!state) return;
  gfx::Canvas* canvas = host_.begin_frame(active_palette(*state).background);
  if (canvas == nullptr) return;
  paint(*state, *canvas, host_.client_size(), host_.now());
  host_.end_frame();
}

void WindowController::refresh() {
  if (auto state = slot_.claim()) app::refresh(*state, host_);
}

void WindowController::copy_all() {
  if (auto state = slot_.claim()) app::copy_all(*state, host_);
}

void WindowController::copy_value(std::uint64_t section, std::uint64_t row) {
  if (auto state = slot_.claim()) app::copy_value(*state, host_, section, row);
}

void WindowController::show_toast(std::string text) {
  if (auto state = slot_.claim()) app::show_toast(*state, host_, std::move(text));
}

}  // namespace kestro::app

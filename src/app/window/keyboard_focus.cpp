#include "app/window/keyboard_focus.h"

#include <algorithm>
#include <utility>

namespace kestro::app {

namespace {

bool is_row_of(const Report& report, const HitTarget& target) {
  return target.kind == HitKind::Value && target.section < report.sections.size() &&
         target.row < report.sections[target.section].rows.size();
}

}  // namespace

std::vector<HitTarget> focus_order(const AppState& state, ClientSize client,
                                   gfx::TextMeasurer* measurer) {
  const float s = state.scale();
  const Report* report = state.shown_report();
  std::vector<HitTarget> order;
  for (const ToolbarButton& button : toolbar_left_to_right(client, s, report, measurer)) {
    order.push_back({button.kind, 0, 0});
  }
  const CardLayout layout = layout_cards(client, s, report);
  for (const std::size_t i : visual_order(layout)) {
    for (std::size_t k = 0; k < layout.cards[i].rows.size(); ++k) {
      order.push_back(HitTarget::value(i, k));
    }
  }
  return order;
}

HitTarget next_focus(const std::vector<HitTarget>& order, const HitTarget& current,
                     bool backwards) {
  if (order.empty()) return HitTarget{};
  const auto at = std::find(order.begin(), order.end(), current);
  if (current.kind == HitKind::None || at == order.end()) {
    return backwards ? order.back() : order.front();
  }
  const std::size_t i = static_cast<std::size_t>(at - order.begin());
  const std::size_t n = order.size();
  return order[backwards ? (i + n - 1) % n : (i + 1) % n];
}

std::optional<gfx::RectF> focus_rect(const AppState& state, ClientSize client,
                                     gfx::TextMeasurer* measurer, const HitTarget& target) {
  const float s = state.scale();
  const Report* report = state.shown_report();
  if (target.kind == HitKind::Value) {
    if (report == nullptr || !is_row_of(*report, target)) return std::nullopt;
    const CardLayout layout = layout_cards(client, s, report);
    return gfx::offset(layout.cards[target.section].rows[target.row], 0, -state.scroll);
  }
  for (const ToolbarButton& button : layout_toolbar(client, s, report, measurer)) {
    if (button.kind == target.kind) return button.rect;
  }
  return std::nullopt;
}

void scroll_into_view(AppState& state, ClientSize client, const HitTarget& target) {
  const Report* report = state.shown_report();
  if (report == nullptr || !is_row_of(*report, target)) return;
  const float s = state.scale();
  const CardLayout layout = layout_cards(client, s, report);
  const CardBox& card = layout.cards[target.section];
  const gfx::RectF& row = card.rows[target.row];
  const float top = target.row == 0 ? card.y : row.y;
  const float bottom = row.y + row.height;
  const float band_top = layout_metrics(client, s).toolbar + 8 * s;
  const float band_bottom = static_cast<float>(std::max(client.height, 0)) - 8 * s;
  float scroll = state.scroll;
  if (bottom - scroll > band_bottom) scroll = bottom - band_bottom;
  if (top - scroll < band_top) scroll = top - band_top;
  state.scroll = std::clamp(scroll, 0.0f, max_scroll(layout, client));
}

void set_focus(AppState& state, WindowHost& host, const HitTarget& target, bool visible) {
  state.focus_memory.reset();
  const float scroll_before = state.scroll;
  const bool changed = !(state.focus == target) || state.focus_visible != visible;
  state.focus = target;
  state.focus_visible = visible;
  if (visible) scroll_into_view(state, host.client_size(), target);
  if (changed || state.scroll != scroll_before) host.invalidate();
}

std::optional<ClickAction> press_action(const AppState& state, ClientSize client,
                                        gfx::TextMeasurer* measurer, const HitTarget& target) {
  const std::optional<gfx::RectF> r = focus_rect(state, client, measurer, target);
  if (!r) return std::nullopt;
  if (target.kind == HitKind::Value) {
    return ClickAction{target, r->x + r->width * 0.5f, r->y + r->height * 0.5f};
  }
  return ClickAction{target, r->x, r->y + r->height};
}

FocusKeyOutcome on_focus_key(AppState& state, WindowHost& host, std::uint32_t virtual_key,
                             bool shift_down) {
  FocusKeyOutcome outcome;
  switch (virtual_key) {
    case kVkTab: {
      outcome.handled = true;
      const std::vector<HitTarget> order = focus_order(state, host.client_size(), host.measurer());
      set_focus(state, host, next_focus(order, state.focus, shift_down), true);
      break;
    }
    case kVkReturn:
    case kVkSpace: {
      outcome.handled = true;
      outcome.action = press_action(state, host.client_size(), host.measurer(), state.focus);
      // Nothing focused, or the focused element is not shown now: the key does nothing.
      if (outcome.action && !state.focus_visible) {
        state.focus_visible = true;
        host.invalidate();
      }
      break;
    }
    default:
      break;
  }
  return outcome;
}

void on_click_focus(AppState& state, WindowHost& host, const HitTarget& clicked) {
  // A click on nothing leaves the focus (and a row remembered across a refresh) where it is.
  const bool moves = clicked.kind != HitKind::None && !(clicked == state.focus);
  if (!moves && !state.focus_visible) return;
  if (moves) {
    state.focus_memory.reset();
    state.focus = clicked;
  }
  state.focus_visible = false;
  host.invalidate();
}

void remember_focused_row(AppState& state) {
  if (state.focus.kind != HitKind::Value) return;
  const Report* report = state.shown_report();
  if (report != nullptr && is_row_of(*report, state.focus)) {
    const Section& section = report->sections[state.focus.section];
    const std::string& label = section.rows[state.focus.row].label;
    std::size_t occurrence = 0;
    for (std::size_t k = 0; k < state.focus.row; ++k) {
      if (section.rows[k].label == label) ++occurrence;
    }
    state.focus_memory = FocusedRow{section.kind, label, occurrence};
  }
  state.focus = HitTarget{};
}

void restore_focused_row(AppState& state, WindowHost& host) {
  const Report* report = state.shown_report();
  if (report == nullptr) return;
  if (state.focus.kind == HitKind::Value && !is_row_of(*report, state.focus)) {
    state.focus = HitTarget{};
  }
  if (!state.focus_memory) return;
  const FocusedRow memory = *std::exchange(state.focus_memory, std::nullopt);
  for (std::size_t i = 0; i < report->sections.size(); ++i) {
    const Section& section = report->sections[i];
    if (section.kind != memory.card) continue;
    std::size_t seen = 0;
    for (std::size_t k = 0; k < section.rows.size(); ++k) {
      if (section.rows[k].label != memory.label) continue;
      if (seen++ != memory.occurrence) continue;
      state.focus = HitTarget::value(i, k);
      if (state.focus_visible) scroll_into_view(state, host.client_size(), state.focus);
      return;
    }
    return;  // the card is there but not the row
  }
}

}  // namespace kestro::app

#include "app/paint.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "app/palette.h"
#include "app/window_texts.h"
#include "base/utf8.h"
#include "i18n/translate.h"

namespace kestro::app {

namespace {

using gfx::Colour;
using gfx::RectF;
using gfx::TextStyle;

void paint_loading(const AppState& state, gfx::Canvas& canvas, ClientSize client,
                   Clock::time_point now, const Palette& pal) {
  const float s = state.scale();
  const Clock::duration elapsed =
      state.loading_since ? now - *state.loading_since : Clock::duration::zero();
  std::string text(translate(texts::kLoading));
  text.append(static_cast<std::size_t>(loading_dots(elapsed)), '.');
  const float wc = static_cast<float>(client.width);
  const float hc = static_cast<float>(client.height);
  canvas.draw_text(text, RectF{0, hc * 0.5f - 20 * s, wc, 40 * s}, pal.text_muted,
                   TextStyle::Title, true);
}

void paint_row(const AppState& state, gfx::Canvas& canvas, const Palette& pal,
               const CardBox& card, std::size_t section_index, std::size_t k, const Row& row,
               float scroll) {
  const float s = state.scale();
  const RectF box = card.rows[k];
  const RectF on_screen{box.x, box.y - scroll, box.width, box.height};

  if (state.hover == HitTarget::value(section_index, k)) {
    canvas.fill_round(on_screen, 6 * s, with_alpha(pal.text_muted, kHoverRowAlpha));
  }
  if (k >= 1) {
    canvas.fill_box(on_screen.x + 6 * s, on_screen.y, on_screen.x + on_screen.width - 6 * s,
                    on_screen.y + 1, with_alpha(pal.border, kSeparatorAlpha));
  }

  const RowContent parts = row_content_layout(on_screen, card.width, s, row, &canvas);
  canvas.draw_text(row.label, parts.label, pal.text_muted, TextStyle::Body, false);

  if (parts.bar && row.gauge) {
    const RectF bar = *parts.bar;
    canvas.fill_round(bar, 3 * s, with_alpha(pal.text_muted, kGaugeTrackAlpha));
    const float product = *row.gauge * bar.width;
    // Never an empty track: at least 6 s, also when the product is not a number.
    const float fill = std::isnan(product) ? 6 * s : std::max(product, 6 * s);
    Colour colour;
    if (row.badge) colour = tone_colour_f(row.tone);
    else colour = *row.gauge > 0.9f ? kGaugeRed : pal.accent;
    canvas.fill_round(RectF{bar.x, bar.y, fill, bar.height}, 3 * s, colour);
  }
  if (parts.pill && row.badge) {
    const RectF pill = *parts.pill;
    const Colour tone = tone_colour_f(row.tone);
    canvas.fill_round(pill, pill.height * 0.5f, with_alpha(tone, kPillAlpha));
    canvas.draw_text(*row.badge, pill, tone, TextStyle::Caption, true);
  }
  canvas.draw_text(row.value, parts.value, pal.text, TextStyle::Body, false);
}

void paint_report(const AppState& state, const Report& report, gfx::Canvas& canvas,
                  ClientSize client, const Palette& pal) {
  const float s = state.scale();
  const float scroll = state.scroll;
  const LayoutMetrics m = layout_metrics(client, s);
  const CardLayout layout = layout_cards(client, s, &report);
  const float hc = static_cast<float>(client.height);

  canvas.draw_text(report.title, title_box(m, scroll), pal.text, TextStyle::Title, false);
  if (!report.subtitle.empty()) {
    canvas.draw_text(report.subtitle, subtitle_box(m, scroll), pal.text_muted, TextStyle::Body,
                     false);
  }

  for (std::size_t i = 0; i < layout.cards.size(); ++i) {
    const CardBox& card = layout.cards[i];
    const Section& section = report.sections[i];
    const float top = card.y - scroll;
    // Cards wholly above the toolbar line or below the client area are skipped.
    if (top + card.height < m.toolbar || top > hc) continue;

    const RectF face{card.x, top, card.width, card.height};
    canvas.fill_round(face, 10 * s, pal.card_fill);
    canvas.stroke_round(RectF{card.x + 0.5f, top + 0.5f, card.width - 1, card.height - 1},
                        10 * s, 1, pal.border);
    canvas.draw_icon(section_icon(section.kind), icon_box(card, top, s), pal.accent);
    canvas.draw_text(section.title, heading_box(card, top, s), pal.text, TextStyle::BodyStrong,
                     false);
    for (std::size_t k = 0; k < section.rows.size(); ++k) {
      paint_row(state, canvas, pal, card, i, k, section.rows[k], scroll);
    }
  }

  if (report.needs_admin) {
    canvas.draw_text(translate(texts::kAdminNote), note_box(m, layout.content_height, scroll),
                     pal.text_muted, TextStyle::Caption, false);
  }
}

void paint_toolbar(const AppState& state, gfx::Canvas& canvas, ClientSize client,
                   const Palette& pal) {
  const float s = state.scale();
  const float wc = static_cast<float>(client.width);
  const float t = layout_metrics(client, s).toolbar;
  canvas.fill_box(0, 0, wc, t, pal.toolbar);
  canvas.fill_box(0, t - 1, wc, t, pal.border);
  canvas.draw_text("Kestro", RectF{18 * s, 0, 200 * s, t}, pal.text, TextStyle::BodyStrong,
                   false);

  const Report* report = state.report ? &*state.report : nullptr;
  for (const ToolbarButton& button : layout_toolbar(client, s, report, &canvas)) {
    const bool hovered = state.hover.kind == button.kind;
    if (button.kind == HitKind::CopyAll) {
      canvas.fill_round(button.rect, 8 * s,
                        hovered ? with_alpha(pal.accent, kPrimaryHoverAlpha) : pal.accent);
      canvas.draw_text(button.caption, button.rect, kWhite, TextStyle::Body, true);
      continue;
    }
    const bool icon = is_icon_caption(button.caption);
    if (hovered) {
      canvas.fill_round(button.rect, 8 * s, with_alpha(pal.text_muted, kButtonHoverAlpha));
    } else if (!icon) {
      canvas.fill_round(button.rect, 8 * s, with_alpha(pal.text_muted, kTextButtonRestAlpha));
    }
    if (icon) canvas.draw_icon(button.caption, button.rect, pal.text);
    else canvas.draw_text(button.caption, button.rect, pal.text, TextStyle::Body, true);
  }
}

void paint_toast(const AppState& state, gfx::Canvas& canvas, ClientSize client) {
  const float s = state.scale();
  const float wc = static_cast<float>(client.width);
  const float hc = static_cast<float>(client.height);
  const auto metrics = canvas.measure(*state.toast, TextStyle::Body);
  const float tw = metrics ? metrics->width : 0.0f;
  // The text box gets the measured width itself: (tw + 32 s) − 32 s can come out a hair
  // narrower than tw in floating point, and the text would then be cut with an ellipsis.
  const float text_width = std::min(tw, wc - 64 * s);
  const float w = text_width + 32 * s;
  const RectF box{std::round((wc - w) * 0.5f), hc - 64 * s, w, 38 * s};
  canvas.fill_round(box, 8 * s, kToastFace);
  canvas.draw_text(*state.toast, RectF{box.x + 16 * s, box.y, text_width, 38 * s}, kWhite,
                   TextStyle::Body, true);
}

}  // namespace

int loading_dots(Clock::duration elapsed) {
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count();
  // floor(elapsed × 3) mod 3 depends only on the fraction of the current second; working on
  // it alone keeps the arithmetic exact and free of overflow.
  constexpr std::int64_t kSecond = 1'000'000'000;
  const std::int64_t fraction = ((ns % kSecond) + kSecond) % kSecond;
  return static_cast<int>(fraction * 3 / kSecond) + 1;
}

bool is_icon_caption(std::string_view caption) {
  if (caption.empty()) return false;
  const Utf8Step first = decode_utf8(caption, 0);
  return first.valid && first.code >= 0xE000 && first.code <= 0xF8FF;
}

void paint(const AppState& state, gfx::Canvas& canvas, ClientSize client, Clock::time_point now) {
  client.width = std::max(client.width, 0);
  client.height = std::max(client.height, 0);
  const Palette& pal = palette(state.dark);
  canvas.clear(pal.background);
  if (state.report) paint_report(state, *state.report, canvas, client, pal);
  else paint_loading(state, canvas, client, now, pal);
  paint_toolbar(state, canvas, client, pal);
  if (state.toast) paint_toast(state, canvas, client);
}

}  // namespace kestro::app

#include "app/view/paint.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "app/view/palette.h"
#include "app/view/texts.h"
#include "base/utf8.h"
#include "i18n/product.h"
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
  canvas.draw_text(text, loading_box(client, s), pal.text_muted, TextStyle::Title, true);
}

// The keyboard focus: 2 px in the accent colour, inside a row's hover box and around a button.
bool shows_focus(const AppState& state, const HitTarget& target) {
  return state.focus_visible && state.focus == target;
}

void paint_focus_ring(gfx::Canvas& canvas, RectF box, float radius, float inset,
                      const Palette& pal) {
  // The stroke is centred on its path, so a path 1 px inside `inset` covers 2 px from there.
  const float d = inset + 1;
  canvas.stroke_round(RectF{box.x + d, box.y + d, box.width - 2 * d, box.height - 2 * d},
                      std::max(radius - d, 0.0f), 2, pal.accent);
}

void paint_row(const AppState& state, gfx::Canvas& canvas, const Palette& pal,
               const CardBox& card, std::size_t section_index, std::size_t k, const Row& row,
               float scroll) {
  const float s = state.scale();
  const RectF on_screen = gfx::offset(card.rows[k], 0, -scroll);

  if (state.hover == HitTarget::value(section_index, k)) {
    if (pal.high_contrast) {
      canvas.stroke_round(gfx::outline_inset(on_screen), 6 * s, 1, pal.hot);
    } else {
      canvas.fill_round(on_screen, 6 * s, with_alpha(pal.text_muted, kHoverRowAlpha));
    }
  }
  if (k >= 1) {
    canvas.fill_box(on_screen.x + 6 * s, on_screen.y, on_screen.x + on_screen.width - 6 * s,
                    on_screen.y + 1,
                    pal.high_contrast ? pal.line : with_alpha(pal.border, kSeparatorAlpha));
  }

  const RowContent parts = row_content_layout(on_screen, card.width, s, row, &canvas);
  canvas.draw_text(row.label, parts.label, pal.text_muted, TextStyle::Body, false);

  if (parts.bar && row.gauge) {
    const RectF bar = *parts.bar;
    canvas.fill_round(bar, 3 * s,
                      pal.high_contrast ? pal.line : with_alpha(pal.text_muted, kGaugeTrackAlpha));
    const float product = *row.gauge * bar.width;
    // Never an empty track: at least 6 s, also when the product is not a number.
    const float fill = std::isnan(product) ? 6 * s : std::max(product, 6 * s);
    Colour colour;
    if (pal.high_contrast) colour = pal.accent;  // the value text says how full it is
    else if (row.badge) colour = tone_colour_f(row.tone);
    else colour = *row.gauge > 0.9f ? kGaugeRed : pal.accent;
    canvas.fill_round(RectF{bar.x, bar.y, fill, bar.height}, 3 * s, colour);
  }
  if (parts.pill && row.badge) {
    const RectF pill = *parts.pill;
    if (pal.high_contrast) {
      // The badge's word carries the meaning; an outline keeps the pill's shape.
      canvas.stroke_round(gfx::outline_inset(pill), pill.height * 0.5f, 1, pal.text);
      canvas.draw_text(*row.badge, pill, pal.text, TextStyle::Caption, true);
    } else {
      const Colour tone = tone_colour_f(row.tone);
      canvas.fill_round(pill, pill.height * 0.5f, with_alpha(tone, kPillAlpha));
      canvas.draw_text(*row.badge, pill, tone, TextStyle::Caption, true);
    }
  }
  canvas.draw_text(row.value, parts.value, pal.text, TextStyle::Body, false);
  if (shows_focus(state, HitTarget::value(section_index, k))) {
    paint_focus_ring(canvas, on_screen, 6 * s, 0, pal);
  }
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

    const RectF face = gfx::offset(card.box(), 0, -scroll);
    canvas.fill_round(face, 10 * s, pal.card_fill);
    canvas.stroke_round(gfx::outline_inset(face), 10 * s, 1, pal.border);
    canvas.draw_icon(card_glyph(section.kind), icon_box(card, top, s), pal.accent);
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
  canvas.draw_text(kProductName, RectF{18 * s, 0, 200 * s, t}, pal.text, TextStyle::BodyStrong,
                   false);

  const Report* report = state.shown_report();
  for (const ToolbarButton& button : layout_toolbar(client, s, report, &canvas)) {
    const bool hovered = state.hover.kind == button.kind;
    const bool icon = is_icon_caption(button.caption);
    const bool primary = button.kind == HitKind::CopyAll;
    if (primary) {
      const bool tint = hovered && !pal.high_contrast;
      canvas.fill_round(button.rect, 8 * s,
                        tint ? with_alpha(pal.accent, kPrimaryHoverAlpha) : pal.accent);
    } else if (pal.high_contrast) {
      if (!icon && !hovered) {
        canvas.stroke_round(gfx::outline_inset(button.rect), 8 * s, 1, pal.text);
      }
    } else if (hovered) {
      canvas.fill_round(button.rect, 8 * s, with_alpha(pal.text_muted, kButtonHoverAlpha));
    } else if (!icon) {
      canvas.fill_round(button.rect, 8 * s, with_alpha(pal.text_muted, kTextButtonRestAlpha));
    }
    if (hovered && pal.high_contrast) {
      canvas.stroke_round(gfx::outline_inset(button.rect), 8 * s, 1, pal.hot);
    }
    if (primary) {
      canvas.draw_text(button.caption, button.rect, pal.on_accent, TextStyle::Body, true);
    } else if (icon) {
      canvas.draw_icon(button.caption, button.rect, pal.text);
    } else {
      canvas.draw_text(button.caption, button.rect, pal.text, TextStyle::Body, true);
    }
    if (shows_focus(state, HitTarget{button.kind, 0, 0})) {
      paint_focus_ring(canvas, button.rect, 8 * s, -3, pal);
    }
  }
}

void paint_toast(const AppState& state, gfx::Canvas& canvas, ClientSize client,
                 const Palette& pal) {
  const float s = state.scale();
  const auto metrics = canvas.measure(*state.toast, TextStyle::Body);
  const ToastBoxes boxes = toast_boxes(client, s, metrics ? metrics->width : 0.0f);
  canvas.fill_round(boxes.face, 8 * s, pal.toast_face);
  canvas.draw_text(*state.toast, boxes.text, pal.toast_text, TextStyle::Body, true);
}

}  // namespace

std::string_view card_glyph(SectionKind kind) {
  switch (kind) {
    case SectionKind::Summary: return "\xEE\xA2\xA1";    // U+E8A1
    case SectionKind::System: return "\xEE\xA5\xB7";     // U+E977
    case SectionKind::Windows: return "\xEE\xB2\xAA";    // U+ECAA
    case SectionKind::Processor: return "\xEE\xA5\x90";  // U+E950
    case SectionKind::Memory: return "\xEE\xA5\xA4";     // U+E964
    case SectionKind::Graphics: return "\xEE\x9F\xBC";   // U+E7FC
    case SectionKind::Displays: return "\xEE\x9F\xB4";   // U+E7F4
    case SectionKind::Storage: return "\xEE\xB6\xA2";    // U+EDA2
    case SectionKind::Battery: return "\xEE\xA0\xBF";    // U+E83F
    case SectionKind::Security: return "\xEE\xA8\x98";   // U+EA18, Shield
  }
  return "";
}

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

Palette active_palette(const AppState& state) {
  return state.high_contrast ? high_contrast_palette(*state.high_contrast) : palette(state.dark);
}

void paint(const AppState& state, gfx::Canvas& canvas, ClientSize client, Clock::time_point now) {
  client.width = std::max(client.width, 0);
  client.height = std::max(client.height, 0);
  const Palette pal = active_palette(state);
  canvas.clear(pal.background);
  if (state.report) paint_report(state, *state.report, canvas, client, pal);
  else paint_loading(state, canvas, client, now, pal);
  paint_toolbar(state, canvas, client, pal);
  if (state.toast) paint_toast(state, canvas, client, pal);
}

}  // namespace kestro::app

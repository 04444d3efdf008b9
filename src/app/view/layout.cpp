#include "app/view/layout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

#include "app/view/texts.h"
#include "i18n/translate.h"

namespace kestro::app {

namespace {

// Design measures are rounded half away from zero.
float round_px(float v) { return std::round(v); }

float text_width(gfx::TextMeasurer* measurer, std::string_view text, gfx::TextStyle style) {
  if (measurer == nullptr) return 0;
  const auto metrics = measurer->measure(text, style);
  return metrics ? metrics->width : 0.0f;
}

}  // namespace

LayoutMetrics layout_metrics(ClientSize client, float scale) {
  const float s = scale;
  const float wc = static_cast<float>(std::max(client.width, 0));
  LayoutMetrics m;
  m.s = s;
  m.toolbar = round_px(52 * s);
  m.content_width = std::min(wc - 48 * s, 1120 * s);
  m.content_left = round_px((wc - m.content_width) * 0.5f);
  m.gap = round_px(16 * s);
  m.columns = m.content_width >= 760 * s ? 2 : 1;
  m.column_width = std::floor((m.content_width - static_cast<float>(m.columns - 1) * m.gap) /
                              static_cast<float>(m.columns));
  m.first_top = m.toolbar + 112 * s;
  m.heading = round_px(48 * s);
  m.row_height = round_px(34 * s);
  return m;
}

bool spans_both_columns(SectionKind kind) {
  return kind == SectionKind::Summary || kind == SectionKind::Security;
}

CardLayout layout_cards(ClientSize client, float scale, const Report* report) {
  CardLayout out;
  if (report == nullptr) return out;
  const LayoutMetrics m = layout_metrics(client, scale);
  const float s = m.s;
  std::array<float, 2> tops{m.first_top, m.first_top};
  out.cards.reserve(report->sections.size());

  for (const Section& section : report->sections) {
    const float rows = static_cast<float>(section.rows.size());
    const float h = m.heading + rows * m.row_height + 10 * s;
    CardBox card;
    card.height = h;
    if (m.columns == 2 && spans_both_columns(section.kind)) {
      // Below whatever is taller so far.
      card.x = m.content_left;
      card.width = m.content_width;
      card.y = std::max(tops[0], tops[1]);
      tops[0] = tops[1] = card.y + h + m.gap;
    } else {
      // Ties go to the left column.
      const std::size_t column = (m.columns == 2 && tops[1] < tops[0]) ? 1 : 0;
      card.x = m.content_left + static_cast<float>(column) * (m.column_width + m.gap);
      card.width = m.column_width;
      card.y = tops[column];
      tops[column] = card.y + h + m.gap;
    }
    card.rows.reserve(section.rows.size());
    for (std::size_t k = 0; k < section.rows.size(); ++k) {
      card.rows.push_back(gfx::RectF{card.x + 8 * s,
                                     card.y + m.heading + static_cast<float>(k) * m.row_height,
                                     card.width - 16 * s, m.row_height});
    }
    out.cards.push_back(std::move(card));
  }

  out.content_height =
      std::max(tops[0], tops[1]) + (report->needs_admin ? 36 * s : 0.0f) + 24 * s;
  return out;
}

float max_scroll(const CardLayout& layout, ClientSize client) {
  return std::max(0.0f, layout.content_height - static_cast<float>(std::max(client.height, 0)));
}

std::vector<ToolbarButton> layout_toolbar(ClientSize client, float scale, const Report* report,
                                          gfx::TextMeasurer* measurer) {
  std::vector<ToolbarButton> buttons;
  if (measurer == nullptr) return buttons;
  const float s = scale;
  const float t = layout_metrics(client, s).toolbar;
  const float d = round_px(36 * s);
  const float top = round_px((t - d) * 0.5f);
  float cursor = static_cast<float>(std::max(client.width, 0)) - 10 * s;

  auto icon_button = [&](HitKind kind, const char* glyph) {
    cursor -= d;
    buttons.push_back(ToolbarButton{kind, gfx::RectF{cursor, top, d, d}, glyph});
    cursor -= 6 * s;
  };
  auto text_button = [&](HitKind kind, const TextPair& caption) {
    std::string text(translate(caption));
    const float width = text_width(measurer, text, gfx::TextStyle::Body) + 30 * s;
    cursor -= width;
    buttons.push_back(ToolbarButton{kind, gfx::RectF{cursor, top, width, d}, std::move(text)});
    cursor -= 6 * s;
  };

  icon_button(HitKind::Menu, kMenuGlyph);
  icon_button(HitKind::Refresh, kRefreshGlyph);
  if (report != nullptr) {
    text_button(HitKind::CopyAll, texts::kCopyAll);
    if (report->needs_admin) text_button(HitKind::ViewAsAdmin, texts::kViewAsAdmin);
  }
  return buttons;
}

std::vector<ToolbarButton> toolbar_left_to_right(ClientSize client, float scale,
                                                 const Report* report,
                                                 gfx::TextMeasurer* measurer) {
  std::vector<ToolbarButton> buttons = layout_toolbar(client, scale, report, measurer);
  std::reverse(buttons.begin(), buttons.end());
  return buttons;
}

std::optional<gfx::RectF> button_rect(const std::vector<ToolbarButton>& buttons, HitKind kind) {
  for (const ToolbarButton& button : buttons) {
    if (button.kind == kind) return button.rect;
  }
  return std::nullopt;
}

gfx::RectF title_box(const LayoutMetrics& m, float scroll) {
  return {m.content_left, m.toolbar + 24 * m.s - scroll, m.content_width, 40 * m.s};
}

gfx::RectF subtitle_box(const LayoutMetrics& m, float scroll) {
  return {m.content_left, m.toolbar + 24 * m.s - scroll + 42 * m.s, m.content_width, 26 * m.s};
}

gfx::RectF note_box(const LayoutMetrics& m, float content_height, float scroll) {
  return {m.content_left, content_height - 44 * m.s - scroll, m.content_width, 24 * m.s};
}

gfx::RectF loading_box(ClientSize client, float scale) {
  const float wc = static_cast<float>(client.width);
  const float hc = static_cast<float>(client.height);
  return {0, hc * 0.5f - 20 * scale, wc, 40 * scale};
}

ToastBoxes toast_boxes(ClientSize client, float scale, float text_width) {
  const float s = scale;
  const float wc = static_cast<float>(client.width);
  const float hc = static_cast<float>(client.height);
  // The text keeps its measured width: deriving it back from the face, (w + 32 s) − 32 s, can
  // come out a hair narrower in floating point and cut the text with an ellipsis.
  const float text = std::min(text_width, wc - 64 * s);
  const float w = text + 32 * s;
  const gfx::RectF face{std::round((wc - w) * 0.5f), hc - 64 * s, w, 38 * s};
  return {face, {face.x + 16 * s, face.y, text, 38 * s}};
}

gfx::RectF icon_box(const CardBox& card, float top, float scale) {
  return {card.x + 14 * scale, top + 10 * scale, 24 * scale, 30 * scale};
}

gfx::RectF heading_box(const CardBox& card, float top, float scale) {
  return {card.x + 46 * scale, top + 10 * scale, card.width - 60 * scale, 30 * scale};
}

float label_column_width(float card_width, float scale) {
  return std::min(std::max(card_width * 0.32f, 90 * scale), 170 * scale);
}

RowContent row_content_layout(gfx::RectF row, float card_width, float scale, const Row& data,
                              gfx::TextMeasurer* measurer) {
  const float s = scale;
  // A label longer than its column takes the room it needs from its own row, up to almost
  // half the card (with a twentieth to spare for fonts that set wider), rather than being cut
  // short; the other rows keep the column.
  const float label_width =
      std::max(label_column_width(card_width, s),
               std::min(text_width(measurer, data.label, gfx::TextStyle::Body) * 1.05f + 12 * s,
                        card_width * 0.45f));
  RowContent out;
  out.label = {row.x + 8 * s, row.y, label_width - 12 * s, row.height};

  float left = row.x + label_width;
  const float right = row.x + row.width - 10 * s;
  const float available = right - left;

  const bool has_badge = data.badge.has_value();
  const bool badge_text = has_badge && !data.badge->empty();
  if (data.gauge && !badge_text) {
    // A plain gauge, or one coloured by tone (empty badge), which gets a longer bar.
    const float bar = has_badge ? std::min(available * 0.45f, 160 * s)
                                : std::min(available * 0.4f, 140 * s);
    out.bar = gfx::RectF{left, row.y + row.height * 0.5f - 3 * s, bar, 6 * s};
    left += bar + 10 * s;
  }
  if (badge_text) {
    const float pill = text_width(measurer, *data.badge, gfx::TextStyle::Caption) + 18 * s;
    out.pill = gfx::RectF{left, row.y + 7 * s, pill, row.height - 14 * s};
    left += pill + 8 * s;
  }
  out.value = {left, row.y, right - left, row.height};
  return out;
}

std::vector<std::size_t> visual_order(const CardLayout& layout) {
  std::vector<std::size_t> order(layout.cards.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const CardBox& l = layout.cards[a];
    const CardBox& r = layout.cards[b];
    return l.y != r.y ? l.y < r.y : l.x < r.x;
  });
  return order;
}

}  // namespace kestro::app

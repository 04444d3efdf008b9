#pragma once
// Positions of everything in the window, computed from scratch from the report and the
// client size whenever painting or hit-testing needs them. All values are client pixels;
// cards and rows are in content coordinates (before the scroll offset is subtracted).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/view/hit_target.h"
#include "gfx/canvas.h"
#include "probe/report.h"

namespace kestro::app {

// Client area size; the host reports negative sizes as 0.
struct ClientSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// The design measures at one scale and client width.
struct LayoutMetrics {
  float s = 1;              // scale (dpi / 96)
  float toolbar = 0;        // T
  float content_width = 0;  // W
  float content_left = 0;   // X
  float gap = 0;            // G
  int columns = 1;          // n
  float column_width = 0;   // C
  float first_top = 0;      // Y0
  float heading = 0;        // Hh
  float row_height = 0;     // Rh
};
LayoutMetrics layout_metrics(ClientSize client, float scale);

struct CardBox {
  float x = 0, y = 0, width = 0, height = 0;
  std::vector<gfx::RectF> rows;  // one per row of the section, same order

  gfx::RectF box() const { return gfx::RectF{x, y, width, height}; }
};

struct CardLayout {
  std::vector<CardBox> cards;  // one per section, same order
  float content_height = 0;    // H; 0 without a report
};

CardLayout layout_cards(ClientSize client, float scale, const Report* report);

// Indexes of `layout.cards` in the order a reader sees them: by top edge, the left one first when two cards
// start at the same height.
std::vector<std::size_t> visual_order(const CardLayout& layout);

// max(0, H − Hc).
float max_scroll(const CardLayout& layout, ClientSize client);

struct ToolbarButton {
  HitKind kind = HitKind::None;  // CopyAll, ViewAsAdmin, Refresh or Menu
  gfx::RectF rect;
  std::string caption;           // translated text or one icon glyph (UTF-8)
};

// Rightmost first, as they are laid out from the toolbar's right edge (and painted and
// hit-tested): Menu, Refresh, then with a report Copy all, then with `needs_admin` View as
// administrator. Empty without a measurer (no drawing device).
std::vector<ToolbarButton> layout_toolbar(ClientSize client, float scale, const Report* report,
                                          gfx::TextMeasurer* measurer);
// The same buttons in reading order, left to right (the keyboard and screen readers go so).
std::vector<ToolbarButton> toolbar_left_to_right(ClientSize client, float scale,
                                                 const Report* report,
                                                 gfx::TextMeasurer* measurer);
// Where the button of `kind` is among `buttons`; nothing when it is not there.
std::optional<gfx::RectF> button_rect(const std::vector<ToolbarButton>& buttons, HitKind kind);

// Glyphs of the two icon buttons.
inline constexpr const char* kMenuGlyph = "\xEE\x9C\x80";     // U+E700
inline constexpr const char* kRefreshGlyph = "\xEE\x9C\xAC";  // U+E72C

// Header texts; they scroll with the cards.
gfx::RectF title_box(const LayoutMetrics& m, float scroll);
gfx::RectF subtitle_box(const LayoutMetrics& m, float scroll);
// The note about administrator rights, 20 s above the bottom margin of the content.
gfx::RectF note_box(const LayoutMetrics& m, float content_height, float scroll);

// The loading sentence, centred in the client area.
gfx::RectF loading_box(ClientSize client, float scale);
// The toast for a text `text_width` wide: its face, and the box its text is centred in. The
// text box is the measured width itself wherever the window is wide enough.
struct ToastBoxes {
  gfx::RectF face;
  gfx::RectF text;
};
ToastBoxes toast_boxes(ClientSize client, float scale, float text_width);

// Inside a card whose top on screen is `top` (y − scroll).
gfx::RectF icon_box(const CardBox& card, float top, float scale);
gfx::RectF heading_box(const CardBox& card, float top, float scale);

// Where the parts of one row go. `row` is the row box on screen (y already scrolled).
struct RowContent {
  gfx::RectF label;                 // text is centred vertically in it
  std::optional<gfx::RectF> bar;    // gauge track
  std::optional<gfx::RectF> pill;   // badge pill
  gfx::RectF value;                 // text is centred vertically in it
};
// Whether a card spans both columns when there are two: the summary, and the security card,
// whose labels and Windows 11 verdict run long.
bool spans_both_columns(SectionKind kind);
// The label column width of a card of width `card_width`.
float label_column_width(float card_width, float scale);
// The pill width comes from the badge's width in the Caption style (0 when unmeasurable).
RowContent row_content_layout(gfx::RectF row, float card_width, float scale, const Row& data,
                              gfx::TextMeasurer* measurer);

}  // namespace kestro::app

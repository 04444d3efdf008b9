#pragma once
// Where the window tests click, hover, focus and scroll to, from the window's own layout so that
// they move with it: 96 DPI, content coordinates, the toolbar measured as the fake host does.

#include "app/view/layout.h"
#include "recording_canvas.h"

namespace kestro::test {

struct Point {
  int x, y;
  Point(float fx, float fy) : x(static_cast<int>(fx)), y(static_cast<int>(fy)) {}
};
inline Point middle(const gfx::RectF& r) { return {r.x + r.width * 0.5f, r.y + r.height * 0.5f}; }
inline float bottom(const gfx::RectF& r) { return r.y + r.height; }

struct WindowLayout {  // `report` in a window `client` large
  explicit WindowLayout(const Report& report, app::ClientSize client = {1080, 800})
      : cards(app::layout_cards(client, 1, &report).cards), toolbar(app::layout_metrics(client, 1).toolbar),
        buttons(app::layout_toolbar(client, 1, &report, &measurer)) {}
  const gfx::RectF& row(std::size_t i, std::size_t k) const { return cards.at(i).rows.at(k); }
  gfx::RectF button(app::HitKind kind) const { return app::button_rect(buttons, kind).value(); }
  Point at(std::size_t i, std::size_t k) const { return middle(row(i, k)); }  // middle of a row
  Point at(app::HitKind kind) const { return middle(button(kind)); }          // and of a button
  Point heading(std::size_t i) const { return middle(app::heading_box(cards.at(i), cards.at(i).y, 1)); }

  RecordingCanvas measurer;
  std::vector<app::CardBox> cards;
  float toolbar;  // the band's height
  std::vector<app::ToolbarButton> buttons;
};

}  // namespace kestro::test

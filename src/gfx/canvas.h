#pragma once
// What painting and layout need from a drawing device. The Direct2D device implements it on
// Windows; a recording canvas in the tests checks what a frame draws, in which order and colour.

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestro::gfx {

struct Colour {
  float r = 0, g = 0, b = 0, a = 1;
  friend bool operator==(const Colour&, const Colour&) = default;
};

struct RectF {
  float x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const RectF&, const RectF&) = default;
};

// Whether (px, py) lies inside: the left and top edges count, the right and bottom do not.
constexpr bool contains(const RectF& r, float px, float py) {
  return r.x <= px && px < r.x + r.width && r.y <= py && py < r.y + r.height;
}
// The same rectangle moved by (dx, dy); content scrolled by s moves by (0, -s).
constexpr RectF offset(const RectF& r, float dx, float dy) {
  return RectF{r.x + dx, r.y + dy, r.width, r.height};
}
// Where a 1 px outline of `r` is stroked so that it covers whole pixels inside `r`: half a
// pixel in from every edge.
constexpr RectF outline_inset(const RectF& r) {
  return RectF{r.x + 0.5f, r.y + 0.5f, r.width - 1, r.height - 1};
}

enum class TextStyle : std::uint8_t { Caption = 0, Body = 1, BodyStrong = 2, Title = 3, Icon = 4 };

struct TextMetrics {
  float width = 0;   // including trailing white space
  float height = 0;
};

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // Single-line layout with a maximal width of 10000; nothing when it cannot be made.
  virtual std::optional<TextMetrics> measure(std::string_view text, TextStyle style) = 0;
};

class Canvas : public TextMeasurer {
 public:
  virtual void clear(Colour colour) = 0;
  virtual void fill_box(float left, float top, float right, float bottom, Colour colour) = 0;
  virtual void fill_round(RectF rect, float radius, Colour colour) = 0;
  virtual void stroke_round(RectF rect, float radius, float stroke_width, Colour colour) = 0;
  // One line, cut with an ellipsis at the rectangle's width, centred vertically with the offset
  // rounded half away from zero, clipped to the layout box.
  virtual void draw_text(std::string_view text, RectF rect, Colour colour, TextStyle style,
                         bool centred) = 0;
  // One glyph of the icon font, centred horizontally, no trimming, no clipping.
  virtual void draw_icon(std::string_view glyph, RectF rect, Colour colour) = 0;
};

}  // namespace kestro::gfx

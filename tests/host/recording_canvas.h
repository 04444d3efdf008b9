#pragma once
// A canvas that records every drawing call with its arguments, and measures a text as 7 px
// per byte by 16 px, whatever the style. Tests read `calls` to check what a frame drew, in
// which order and colour.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/canvas.h"

namespace kestro::test {

struct CanvasCall {
  enum class Op { Clear, FillBox, FillRound, StrokeRound, Text, Icon };
  Op op;
  gfx::RectF rect;          // FillBox: left, top, right − left, bottom − top
  float radius = 0;
  float stroke = 0;
  gfx::Colour colour;
  std::string text;
  gfx::TextStyle style = gfx::TextStyle::Body;
  bool centred = false;
};

inline constexpr std::size_t npos = static_cast<std::size_t>(-1);

// Index of the first text call showing exactly `text`, or npos.
inline std::size_t find_text(const std::vector<CanvasCall>& calls, std::string_view text) {
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].op == CanvasCall::Op::Text && calls[i].text == text) return i;
  }
  return npos;
}

class RecordingCanvas : public gfx::Canvas {
 public:
  static constexpr float kPxPerByte = 7;
  static constexpr float kTextHeight = 16;

  std::vector<CanvasCall> calls;
  bool can_measure = true;

  std::optional<gfx::TextMetrics> measure(std::string_view text, gfx::TextStyle) override {
    if (!can_measure) return std::nullopt;
    return gfx::TextMetrics{kPxPerByte * static_cast<float>(text.size()), kTextHeight};
  }
  void clear(gfx::Colour colour) override {
    calls.push_back({CanvasCall::Op::Clear, {}, 0, 0, colour, {}, {}, false});
  }
  void fill_box(float left, float top, float right, float bottom, gfx::Colour colour) override {
    calls.push_back({CanvasCall::Op::FillBox, {left, top, right - left, bottom - top}, 0, 0,
                     colour, {}, {}, false});
  }
  void fill_round(gfx::RectF rect, float radius, gfx::Colour colour) override {
    calls.push_back({CanvasCall::Op::FillRound, rect, radius, 0, colour, {}, {}, false});
  }
  void stroke_round(gfx::RectF rect, float radius, float stroke, gfx::Colour colour) override {
    calls.push_back({CanvasCall::Op::StrokeRound, rect, radius, stroke, colour, {}, {}, false});
  }
  void draw_text(std::string_view text, gfx::RectF rect, gfx::Colour colour,
                 gfx::TextStyle style, bool centred) override {
    calls.push_back({CanvasCall::Op::Text, rect, 0, 0, colour, std::string(text), style, centred});
  }
  void draw_icon(std::string_view glyph, gfx::RectF rect, gfx::Colour colour) override {
    calls.push_back({CanvasCall::Op::Icon, rect, 0, 0, colour, std::string(glyph),
                     gfx::TextStyle::Icon, true});
  }

};

}  // namespace kestro::test

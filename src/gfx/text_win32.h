#pragma once
// The window's text: the DirectWrite factory and the five text formats whose sizes carry the
// window's scale. None of it belongs to a drawing device, so it lives as long as the window
// does, outlives every lost device, and measures text when there is no device at all.

#include <windows.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <array>
#include <memory>
#include <optional>
#include <string_view>

#include "gfx/canvas.h"

namespace kestro::gfx {

using Microsoft::WRL::ComPtr;

using TextFormats = std::array<ComPtr<IDWriteTextFormat>, 5>;

struct TextResources {
  ComPtr<IDWriteFactory> factory;
  TextFormats formats;
  float scale = 1.0f;

  IDWriteTextFormat* format(TextStyle style) const {
    return formats[static_cast<std::size_t>(style)].Get();
  }
};

// The factory and the formats at `scale`; null on failure (traced).
std::unique_ptr<TextResources> create_text_resources(float scale);

// The five text formats at `scale`; nothing unless all five could be made.
std::optional<TextFormats> build_text_formats(IDWriteFactory* factory, float scale);

// New formats at `scale`; on failure the old ones and the old scale stay.
bool rebuild_text_formats(TextResources& text, float scale);

// A single-line layout: no wrapping, cut with the format's ellipsis sign at `max_width`.
// Null when the layout cannot be made.
ComPtr<IDWriteTextLayout> make_layout(const TextResources& text, std::string_view line,
                                      float max_width, TextStyle style, bool centred);

// Width and height of a line as it would be drawn.
std::optional<TextMetrics> measure_text(const TextResources& text, std::string_view line,
                                        TextStyle style);

// Measuring without a drawing device.
class TextOnlyMeasurer final : public TextMeasurer {
 public:
  explicit TextOnlyMeasurer(const TextResources& text) : text_(text) {}
  std::optional<TextMetrics> measure(std::string_view line, TextStyle style) override {
    return measure_text(text_, line, style);
  }

 private:
  const TextResources& text_;
};

}  // namespace kestro::gfx

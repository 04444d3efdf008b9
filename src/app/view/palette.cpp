#include "app/view/palette.h"

namespace kestro::app {

namespace {

constexpr Palette kLight{
    {0.94902f, 0.95686f, 0.96863f, 1},  // background #F2F4F7
    {1, 1, 1, 1},                       // toolbar #FFFFFF
    {1, 1, 1, 1},                       // card fill #FFFFFF
    {0.08627f, 0.09412f, 0.11373f, 1},  // text #16181D
    {0.41961f, 0.44706f, 0.50196f, 1},  // muted text #6B7280
    {0.89020f, 0.90196f, 0.91765f, 1},  // border #E3E6EA
    {0.14510f, 0.38824f, 0.92157f, 1},  // accent #2563EB
    kWhite,
    kToastFace,
    kWhite,
    {0.41961f, 0.44706f, 0.50196f, 1},  // (high contrast only)
    {0.89020f, 0.90196f, 0.91765f, 1},  // (high contrast only)
    false,
};

constexpr Palette kDark{
    {0.09020f, 0.09412f, 0.10588f, 1},  // background #17181B
    {0.13333f, 0.13725f, 0.15294f, 1},  // toolbar #222327
    {0.12157f, 0.12941f, 0.14510f, 1},  // card fill #1F2125
    {0.92549f, 0.92941f, 0.93725f, 1},  // text #ECEDEF
    {0.61176f, 0.62745f, 0.65882f, 1},  // muted text #9CA0A8
    {0.20000f, 0.20784f, 0.23137f, 1},  // border #33353B
    {0.37647f, 0.64706f, 0.98039f, 1},  // accent #60A5FA
    kWhite,
    kToastFace,
    kWhite,
    {0.61176f, 0.62745f, 0.65882f, 1},  // (high contrast only)
    {0.20000f, 0.20784f, 0.23137f, 1},  // (high contrast only)
    false,
};

}  // namespace

const Palette& palette(bool dark) { return dark ? kDark : kLight; }

Palette high_contrast_palette(const SystemColours& c) {
  Palette p;
  p.background = c.window;
  p.toolbar = c.button_face;
  p.card_fill = c.window;
  p.text = c.window_text;
  p.text_muted = c.window_text;  // grey text means "disabled" in these themes
  p.border = c.window_text;
  p.accent = c.highlight;
  p.on_accent = c.highlight_text;
  p.toast_face = c.highlight;
  p.toast_text = c.highlight_text;
  p.hot = c.hot_light;
  p.line = c.gray_text;
  p.high_contrast = true;
  return p;
}

gfx::Colour colour_from_colorref(std::uint32_t colorref) {
  const auto channel = [colorref](int shift) {
    return static_cast<float>((colorref >> shift) & 0xFFu) / 255.0f;
  };
  return {channel(0), channel(8), channel(16), 1.0f};
}

gfx::Colour tone_colour_f(Tone tone) {
  const auto opaque = [](unsigned r, unsigned g, unsigned b) {
    return gfx::Colour{static_cast<float>(r) / 255.0f, static_cast<float>(g) / 255.0f,
                       static_cast<float>(b) / 255.0f, 1.0f};
  };
  switch (tone) {
    case Tone::Good: return opaque(0x16, 0xA3, 0x4A);     // #16A34A
    case Tone::Warning: return opaque(0xD9, 0x77, 0x06);  // #D97706
    case Tone::Bad: return opaque(0xDC, 0x26, 0x26);      // #DC2626
  }
  return opaque(0, 0, 0);
}

}  // namespace kestro::app

#pragma once
// The light and dark palettes, the high-contrast palette made of the system colours, and the
// colours that are the same in light and dark.

#include <cstdint>

#include "gfx/canvas.h"
#include "probe/report.h"

namespace kestro::app {

struct Palette {
  gfx::Colour background;
  gfx::Colour toolbar;
  gfx::Colour card_fill;
  gfx::Colour text;
  gfx::Colour text_muted;  // also the base of every translucent fill
  gfx::Colour border;
  gfx::Colour accent;      // also the keyboard focus rectangle
  // Drawn in fixed colours by the light and dark palettes.
  gfx::Colour on_accent;   // caption of the primary button
  gfx::Colour toast_face;
  gfx::Colour toast_text;
  // Used only with high contrast, where nothing is translucent and tones carry no colour:
  // hovered rows and buttons get an outline in `hot`, separators and gauge tracks are `line`.
  gfx::Colour hot;
  gfx::Colour line;
  bool high_contrast = false;
};

const Palette& palette(bool dark);

// The system colours a high-contrast theme chooses, as far as the window uses them.
struct SystemColours {
  gfx::Colour window;          // COLOR_WINDOW
  gfx::Colour window_text;     // COLOR_WINDOWTEXT
  gfx::Colour highlight;       // COLOR_HIGHLIGHT
  gfx::Colour highlight_text;  // COLOR_HIGHLIGHTTEXT
  gfx::Colour button_face;     // COLOR_BTNFACE
  gfx::Colour gray_text;       // COLOR_GRAYTEXT
  gfx::Colour hot_light;       // COLOR_HOTLIGHT
  friend bool operator==(const SystemColours&, const SystemColours&) = default;
};

// Window and cards on COLOR_WINDOW, toolbar on COLOR_BTNFACE, every text and outline in
// COLOR_WINDOWTEXT, accent (icons, gauges, primary button, focus) COLOR_HIGHLIGHT with
// COLOR_HIGHLIGHTTEXT on it (also the toast), separators and gauge tracks COLOR_GRAYTEXT,
// hover outlines COLOR_HOTLIGHT.
Palette high_contrast_palette(const SystemColours& colours);

// A COLORREF (0x00BBGGRR) as an opaque colour.
gfx::Colour colour_from_colorref(std::uint32_t colorref);

// The same colour with another alpha.
constexpr gfx::Colour with_alpha(gfx::Colour c, float alpha) { return {c.r, c.g, c.b, alpha}; }

// The colour of a tone, the same in light and dark: green, amber, red.
gfx::Colour tone_colour_f(Tone tone);
inline constexpr gfx::Colour kGaugeRed{220.0f / 255.0f, 38.0f / 255.0f, 38.0f / 255.0f, 1.0f};
inline constexpr gfx::Colour kToastFace{0.06666667f, 0.07058824f, 0.078431375f, 0.92f};
inline constexpr gfx::Colour kWhite{1.0f, 1.0f, 1.0f, 1.0f};

// Translucent fills.
inline constexpr float kHoverRowAlpha = 0.09f;
inline constexpr float kSeparatorAlpha = 0.7f;
inline constexpr float kGaugeTrackAlpha = 0.2f;
inline constexpr float kPillAlpha = 0.15f;
inline constexpr float kPrimaryHoverAlpha = 0.85f;
inline constexpr float kButtonHoverAlpha = 0.18f;
inline constexpr float kTextButtonRestAlpha = 0.1f;

}  // namespace kestro::app

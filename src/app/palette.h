#pragma once
// The light and dark palettes and the colours that are the same in both.

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
  gfx::Colour accent;
};

const Palette& palette(bool dark);

// The same colour with another alpha.
constexpr gfx::Colour with_alpha(gfx::Colour c, float alpha) { return {c.r, c.g, c.b, alpha}; }

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

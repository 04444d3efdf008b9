// What keyboard and high-contrast access change in a frame: the focus rectangle, and the
// palette made of the system colours.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/view/paint.h"
#include "app/view/palette.h"
#include "app/window/window_controller.h"
#include "i18n/translate.h"
#include "recording_canvas.h"
#include "window_fakes.h"

namespace kestro::app {
namespace {

using gfx::Colour;
using gfx::RectF;
using test::CanvasCall;
using Op = CanvasCall::Op;

const Clock::time_point kNow{std::chrono::hours(5)};

Report gauges_and_badges() {
  return Report{"This PC",
                "Windows 11",
                {Section{"Summary",
                         {Row::plain("Model", "X1"), Row::gauge_row("C:", "95%", 0.95f),
                          Row::toned_gauge("Life left", "50%", Tone::Warning, 0.5f),
                          Row::status("Health", "Unhealthy", Tone::Bad)},
                         SectionKind::Summary}},
                true};
}

std::vector<CanvasCall> frame(const AppState& state) {
  test::RecordingCanvas canvas;
  paint(state, canvas, {1080, 800}, kNow);
  return canvas.calls;
}

std::vector<CanvasCall> rings(const std::vector<CanvasCall>& calls) {
  std::vector<CanvasCall> out;
  for (const CanvasCall& c : calls) {
    if (c.op == Op::StrokeRound && c.stroke == 2) out.push_back(c);
  }
  return out;
}

Colour rgb(std::uint32_t hex) {
  return {static_cast<float>(hex >> 16 & 0xFF) / 255.0f,
          static_cast<float>(hex >> 8 & 0xFF) / 255.0f, static_cast<float>(hex & 0xFF) / 255.0f,
          1.0f};
}

// Seven distinct colours, so that every slot can be told apart.
const SystemColours kSystem{rgb(0x000000), rgb(0xFFFFFF), rgb(0x1AEBFF), rgb(0x202020),
                            rgb(0x101010), rgb(0x3FF23F), rgb(0xFFFF00)};

TEST(FocusRectangle, DrawnOnlyAfterTheKeyboardWasUsed) {
  ScopedLanguageOverride english("en");
  struct Case {
    const char* name;
    HitTarget focus;
    bool visible;
    bool dark;
    std::optional<RectF> ring;
    float radius;
  };
  const Case cases[] = {
      {"row: 2 px inside its hover box", HitTarget::value(0, 0), true, false,
       RectF{33, 213, 1014, 32}, 5},
      {"second row", HitTarget::value(0, 1), true, true, RectF{33, 247, 1014, 32}, 5},
      {"hidden after a click", HitTarget::value(0, 0), false, false, std::nullopt, 0},
      {"menu button: around it", HitTarget{HitKind::Menu, 0, 0}, true, false,
       RectF{1032, 6, 40, 40}, 10},
      {"primary button: around its fill", HitTarget{HitKind::CopyAll, 0, 0}, true, false,
       RectF{898, 6, 90, 40}, 10},
      {"nothing focused", HitTarget{}, true, false, std::nullopt, 0},
      {"a row the report lacks", HitTarget::value(3, 0), true, false, std::nullopt, 0},
  };
  for (const Case& c : cases) {
    AppState state;
    state.report = gauges_and_badges();
    state.report->needs_admin = false;
    state.dark = c.dark;
    state.focus = c.focus;
    state.focus_visible = c.visible;
    const auto found = rings(frame(state));
    if (!c.ring) {
      EXPECT_TRUE(found.empty()) << c.name;
      continue;
    }
    ASSERT_EQ(found.size(), 1u) << c.name;
    EXPECT_EQ(found[0].rect, *c.ring) << c.name;
    EXPECT_EQ(found[0].radius, c.radius) << c.name;
    EXPECT_EQ(found[0].colour, palette(c.dark).accent) << c.name;
  }
}

TEST(HighContrast, PaletteComesFromTheSystemColours) {
  const Palette p = high_contrast_palette(kSystem);
  EXPECT_TRUE(p.high_contrast);
  struct Slot {
    const char* name;
    Colour actual, expected;
  };
  const Slot slots[] = {
      {"background", p.background, kSystem.window},
      {"toolbar", p.toolbar, kSystem.button_face},
      {"card fill", p.card_fill, kSystem.window},
      {"text", p.text, kSystem.window_text},
      {"muted text", p.text_muted, kSystem.window_text},
      {"border", p.border, kSystem.window_text},
      {"accent", p.accent, kSystem.highlight},
      {"on accent", p.on_accent, kSystem.highlight_text},
      {"toast face", p.toast_face, kSystem.highlight},
      {"toast text", p.toast_text, kSystem.highlight_text},
      {"hover", p.hot, kSystem.hot_light},
      {"lines", p.line, kSystem.gray_text},
  };
  for (const Slot& s : slots) EXPECT_EQ(s.actual, s.expected) << s.name;
  EXPECT_FALSE(palette(false).high_contrast);
  EXPECT_FALSE(palette(true).high_contrast);
}

TEST(HighContrast, ColorrefIsBlueGreenRed) {
  struct Case {
    std::uint32_t colorref;
    std::uint32_t rgb;
  };
  const Case cases[] = {{0x00000000, 0x000000}, {0x00FFFFFF, 0xFFFFFF}, {0x000000FF, 0xFF0000},
                        {0x00FF0000, 0x0000FF}, {0x00FFEB1A, 0x1AEBFF}, {0xFF00FF00, 0x00FF00}};
  for (const Case& c : cases) EXPECT_EQ(colour_from_colorref(c.colorref), rgb(c.rgb)) << c.rgb;
}

TEST(HighContrast, FrameUsesOnlyOpaqueSystemColours) {
  ScopedLanguageOverride english("en");
  struct Case {
    const char* name;
    HitTarget hover, focus;
    bool toast, loading;
  };
  const Case cases[] = {
      {"rows hovered and focused", HitTarget::value(0, 1), HitTarget::value(0, 3), true, false},
      {"buttons hovered and focused", HitTarget{HitKind::CopyAll, 0, 0},
       HitTarget{HitKind::ViewAsAdmin, 0, 0}, false, false},
      {"text button hovered", HitTarget{HitKind::ViewAsAdmin, 0, 0}, HitTarget{}, false, false},
      {"loading", HitTarget{HitKind::Menu, 0, 0}, HitTarget{HitKind::Refresh, 0, 0}, true, true},
  };
  const std::vector<Colour> allowed{kSystem.window,      kSystem.window_text, kSystem.highlight,
                                    kSystem.highlight_text, kSystem.button_face, kSystem.gray_text,
                                    kSystem.hot_light};
  for (const Case& c : cases) {
    AppState state;
    if (!c.loading) state.report = gauges_and_badges();
    state.dark = true;  // high contrast wins over the app theme
    state.high_contrast = kSystem;
    state.hover = c.hover;
    state.focus = c.focus;
    state.focus_visible = true;
    if (c.toast) state.toast = "Copied: Model: X1";
    const auto calls = frame(state);
    for (const CanvasCall& call : calls) {
      EXPECT_NE(std::find(allowed.begin(), allowed.end(), call.colour), allowed.end())
          << c.name << ": " << static_cast<int>(call.op) << " " << call.text << " ("
          << call.colour.r << ", " << call.colour.g << ", " << call.colour.b << ", "
          << call.colour.a << ")";
    }
    EXPECT_EQ(calls.front().colour, kSystem.window) << c.name;
    if (c.focus.kind != HitKind::None) {
      const auto found = rings(calls);
      ASSERT_EQ(found.size(), 1u) << c.name;
      EXPECT_EQ(found[0].colour, kSystem.highlight) << c.name;
    }
  }
}

TEST(HighContrast, OutlinesReplaceTints) {
  AppState state;
  state.report = gauges_and_badges();
  state.high_contrast = kSystem;
  state.hover = HitTarget::value(0, 0);
  const auto calls = frame(state);
  // Hovered row: a 1 px outline in the hot-tracking colour instead of a fill.
  bool hover_outline = false;
  for (const CanvasCall& c : calls) {
    if (c.op == Op::StrokeRound && c.colour == kSystem.hot_light) {
      EXPECT_EQ(c.rect, (RectF{32.5f, 212.5f, 1015, 33}));
      hover_outline = true;
    }
  }
  EXPECT_TRUE(hover_outline);
  // Gauges: track in grey text, fill in highlight whatever the level or tone.
  std::vector<CanvasCall> bars;
  for (const CanvasCall& c : calls) {
    if (c.op == Op::FillRound && c.radius == 3) bars.push_back(c);
  }
  ASSERT_EQ(bars.size(), 4u);
  for (std::size_t i = 0; i < bars.size(); i += 2) {
    EXPECT_EQ(bars[i].colour, kSystem.gray_text);
    EXPECT_EQ(bars[i + 1].colour, kSystem.highlight);
  }
  // The badge in window text inside an outlined pill.
  const std::size_t badge = test::find_text(calls, "Unhealthy");
  ASSERT_NE(badge, test::npos);
  EXPECT_EQ(calls[badge].colour, kSystem.window_text);
  EXPECT_EQ(calls[badge - 1].op, Op::StrokeRound);
  EXPECT_EQ(calls[badge - 1].colour, kSystem.window_text);
}

TEST(HighContrast, SwitchesLiveAndRepaintsOnlyOnChange) {
  test::ControllerFixture window;
  EXPECT_FALSE(window.controller.on_high_contrast(std::nullopt));
  EXPECT_EQ(window.host.invalidations, 0);
  EXPECT_TRUE(window.controller.on_high_contrast(kSystem));
  EXPECT_EQ(window.host.invalidations, 1);
  EXPECT_EQ(active_palette(window.state()).background, kSystem.window);
  EXPECT_FALSE(window.controller.on_high_contrast(kSystem));
  SystemColours other = kSystem;
  other.highlight = rgb(0x37006E);
  EXPECT_TRUE(window.controller.on_high_contrast(other));
  EXPECT_TRUE(window.controller.on_high_contrast(std::nullopt));
  EXPECT_EQ(window.host.invalidations, 3);
  EXPECT_EQ(active_palette(window.state()).background, palette(false).background);
}

}  // namespace
}  // namespace kestro::app

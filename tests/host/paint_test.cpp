#include "app/view/paint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string_view>

#include "app/view/palette.h"
#include "i18n/translate.h"
#include "probe/section_registry.h"
#include "recording_canvas.h"

namespace kestro::app {
namespace {

using gfx::Colour;
using gfx::RectF;
using gfx::TextStyle;
using test::CanvasCall;
using test::RecordingCanvas;
using test::find_text;
using Op = CanvasCall::Op;
using namespace std::chrono_literals;

const Clock::time_point kNow{std::chrono::hours(5)};

std::vector<CanvasCall> frame(const AppState& state, ClientSize client = {1080, 800},
                              Clock::time_point now = kNow) {
  RecordingCanvas canvas;
  paint(state, canvas, client, now);
  return canvas.calls;
}

std::vector<CanvasCall> of_op(const std::vector<CanvasCall>& calls, Op op) {
  std::vector<CanvasCall> out;
  for (const auto& c : calls) if (c.op == op) out.push_back(c);
  return out;
}

Report gauge_report() {
  Section summary{"Summary", {}, SectionKind::Summary};
  summary.rows = {
      Row::plain("Model", "X1"),
      Row::gauge_row("C:", "95%", 0.95f),
      Row::gauge_row("D:", "90%", 0.9f),
      Row::gauge_row("E:", "0%", 0.0f),
      Row::toned_gauge("Life left", "50%", Tone::Warning, 0.5f),
      Row::status("Health", "Healthy", Tone::Good),
      Row::gauge_row("F:", "?", std::nanf("")),
  };
  return Report{"This PC", "Windows 11", {summary}, false};
}

TEST(Palette, FloatsMatchTheirHexadecimalForms) {
  struct Case {
    bool dark;
    std::array<std::uint32_t, 7> hex;
  };
  const Case cases[] = {
      {false, {0xF2F4F7, 0xFFFFFF, 0xFFFFFF, 0x16181D, 0x6B7280, 0xE3E6EA, 0x2563EB}},
      {true, {0x17181B, 0x222327, 0x1F2125, 0xECEDEF, 0x9CA0A8, 0x33353B, 0x60A5FA}},
  };
  for (const Case& c : cases) {
    const Palette& p = palette(c.dark);
    const Colour slots[] = {p.background, p.toolbar, p.card_fill, p.text,
                            p.text_muted, p.border, p.accent};
    for (std::size_t i = 0; i < 7; ++i) {
      const auto byte = [](float v) { return static_cast<std::uint32_t>(std::lround(v * 255)); };
      EXPECT_EQ(byte(slots[i].r) << 16 | byte(slots[i].g) << 8 | byte(slots[i].b), c.hex[i])
          << (c.dark ? "dark " : "light ") << i;
      EXPECT_EQ(slots[i].a, 1.0f);
    }
  }
}

TEST(Paint, LoadingFrameInOrder) {
  ScopedLanguageOverride english("en");
  const Palette& p = palette(false);
  AppState state;
  state.loading_since = kNow - 200ms;
  const auto calls = frame(state, {1000, 600});
  ASSERT_EQ(calls.size(), 7u);
  EXPECT_EQ(calls[0].op, Op::Clear);
  EXPECT_EQ(calls[0].colour, p.background);
  EXPECT_EQ(calls[1].op, Op::Text);
  EXPECT_EQ(calls[1].text, "Reading this PC's details.");
  EXPECT_EQ(calls[1].rect, (RectF{0, 280, 1000, 40}));
  EXPECT_EQ(calls[1].colour, p.text_muted);
  EXPECT_EQ(calls[1].style, TextStyle::Title);
  EXPECT_TRUE(calls[1].centred);
  EXPECT_EQ(calls[2].op, Op::FillBox);
  EXPECT_EQ(calls[2].rect, (RectF{0, 0, 1000, 52}));
  EXPECT_EQ(calls[2].colour, p.toolbar);
  EXPECT_EQ(calls[3].op, Op::FillBox);
  EXPECT_EQ(calls[3].rect, (RectF{0, 51, 1000, 1}));
  EXPECT_EQ(calls[3].colour, p.border);
  EXPECT_EQ(calls[4].text, "Kestro");
  EXPECT_EQ(calls[4].rect, (RectF{18, 0, 200, 52}));
  EXPECT_EQ(calls[4].style, TextStyle::BodyStrong);
  // Icon buttons at rest have no fill.
  EXPECT_EQ(calls[5].op, Op::Icon);
  EXPECT_EQ(calls[5].text, kMenuGlyph);
  EXPECT_EQ(calls[5].colour, p.text);
  EXPECT_EQ(calls[6].op, Op::Icon);
  EXPECT_EQ(calls[6].text, kRefreshGlyph);
}

TEST(Paint, LoadingDotsCycleEveryThirdOfASecond) {
  struct Case {
    std::chrono::milliseconds elapsed;
    int dots;
  };
  const Case cases[] = {{0ms, 1},   {200ms, 1}, {333ms, 1},  {334ms, 2},   {500ms, 2},
                        {700ms, 3}, {1000ms, 1}, {1400ms, 2}, {3700ms, 3}, {-100ms, 3}};
  for (const Case& c : cases) EXPECT_EQ(loading_dots(c.elapsed), c.dots) << c.elapsed.count();

  ScopedLanguageOverride english("en");
  AppState state;  // loading without a start time counts as just started
  EXPECT_EQ(frame(state)[1].text, "Reading this PC's details.");
  state.loading_since = kNow - 700ms;
  EXPECT_EQ(frame(state)[1].text, "Reading this PC's details...");
}

TEST(Paint, ReportFrameStartsWithHeaderAndCard) {
  const Palette& p = palette(false);
  AppState state;
  state.report = gauge_report();
  state.scroll = 10;
  const auto calls = frame(state);
  ASSERT_GE(calls.size(), 7u);
  EXPECT_EQ(calls[0].op, Op::Clear);
  EXPECT_EQ(calls[1].text, "This PC");
  EXPECT_EQ(calls[1].rect, (RectF{24, 66, 1032, 40}));
  EXPECT_EQ(calls[1].style, TextStyle::Title);
  EXPECT_EQ(calls[1].colour, p.text);
  EXPECT_EQ(calls[2].text, "Windows 11");
  EXPECT_EQ(calls[2].colour, p.text_muted);
  EXPECT_EQ(calls[3].op, Op::FillRound);
  EXPECT_EQ(calls[3].rect, (RectF{24, 154, 1032, 48 + 7 * 34 + 10}));
  EXPECT_EQ(calls[3].radius, 10);
  EXPECT_EQ(calls[3].colour, p.card_fill);
  EXPECT_EQ(calls[4].op, Op::StrokeRound);
  EXPECT_EQ(calls[4].rect, (RectF{24.5f, 154.5f, 1031, 48 + 7 * 34 + 9}));
  EXPECT_EQ(calls[4].stroke, 1);
  EXPECT_EQ(calls[4].colour, p.border);
  EXPECT_EQ(calls[5].op, Op::Icon);
  EXPECT_EQ(calls[5].text, "\uE8A1");  // the Summary card's glyph
  EXPECT_EQ(calls[5].colour, p.accent);
  EXPECT_EQ(calls[6].text, "Summary");
  EXPECT_EQ(calls[6].style, TextStyle::BodyStrong);
  // First row: label then value, no separator above it.
  EXPECT_EQ(calls[7].text, "Model");
  EXPECT_EQ(calls[7].colour, p.text_muted);
  EXPECT_EQ(calls[7].rect, (RectF{40, 202, 158, 34}));
  EXPECT_EQ(calls[8].text, "X1");
  EXPECT_EQ(calls[8].colour, p.text);
  // Second row starts with its separator.
  EXPECT_EQ(calls[9].op, Op::FillBox);
  EXPECT_EQ(calls[9].rect, (RectF{38, 236, 1004, 1}));
  EXPECT_EQ(calls[9].colour, with_alpha(p.border, 0.7f));
}

TEST(Paint, GaugeFillsAndBadgePills) {
  const Palette& p = palette(false);
  AppState state;
  state.report = gauge_report();
  const auto calls = frame(state);
  // Radius 3 fills come in pairs: track, then fill.
  std::vector<CanvasCall> bars;
  for (const auto& c : calls) if (c.op == Op::FillRound && c.radius == 3) bars.push_back(c);
  ASSERT_EQ(bars.size(), 10u);
  const Colour track = with_alpha(p.text_muted, 0.2f);
  struct Expect {
    const char* name;
    Colour colour;
    float fraction;  // of the bar width; < 0 means the 6 px minimum
  };
  const Expect expect[] = {
      {"0.95 is red", kGaugeRed, 0.95f},
      {"0.9 exactly is accent", p.accent, 0.9f},
      {"0.0 keeps a minimum fill", p.accent, -1},
      {"empty badge takes the tone", tone_colour_f(Tone::Warning), 0.5f},
      {"not a number keeps a minimum fill", p.accent, -1},
  };
  for (std::size_t i = 0; i < 5; ++i) {
    const CanvasCall& t = bars[2 * i];
    const CanvasCall& f = bars[2 * i + 1];
    EXPECT_EQ(t.colour, track) << expect[i].name;
    EXPECT_EQ(f.colour, expect[i].colour) << expect[i].name;
    EXPECT_EQ(f.rect.x, t.rect.x) << expect[i].name;
    EXPECT_EQ(f.rect.height, 6) << expect[i].name;
    const float width = expect[i].fraction < 0 ? 6 : expect[i].fraction * t.rect.width;
    EXPECT_FLOAT_EQ(f.rect.width, width) << expect[i].name;
  }
  EXPECT_FLOAT_EQ(bars[6].rect.width, 160);  // the tone-coloured bar is the longer kind

  // The status row: pill in the tone at 0.15, badge text centred in the tone, then the value.
  const std::size_t badge = find_text(calls, "Healthy");
  ASSERT_NE(badge, test::npos);
  const Colour good = tone_colour_f(Tone::Good);
  EXPECT_EQ(calls[badge - 1].op, Op::FillRound);
  EXPECT_EQ(calls[badge - 1].colour, with_alpha(good, 0.15f));
  EXPECT_EQ(calls[badge - 1].radius, 10);  // half the pill height of 34 − 14
  EXPECT_EQ(calls[badge - 1].rect, calls[badge].rect);
  EXPECT_EQ(calls[badge].colour, good);
  EXPECT_EQ(calls[badge].style, TextStyle::Caption);
  EXPECT_TRUE(calls[badge].centred);
  EXPECT_EQ(calls[badge + 1].text, "");  // the empty value still has its place
}

TEST(Paint, HoveredRowGetsATranslucentFillFirst) {
  const Palette& p = palette(false);
  AppState state;
  state.report = gauge_report();
  state.hover = HitTarget::value(0, 1);
  const auto calls = frame(state);
  const std::size_t label = find_text(calls, "C:");
  ASSERT_GE(label, 2u);
  EXPECT_EQ(calls[label - 2].op, Op::FillRound);
  EXPECT_EQ(calls[label - 2].rect, (RectF{32, 164 + 48 + 34, 1016, 34}));
  EXPECT_EQ(calls[label - 2].radius, 6);
  EXPECT_EQ(calls[label - 2].colour, with_alpha(p.text_muted, 0.09f));
  EXPECT_EQ(calls[label - 1].op, Op::FillBox);  // separator after the hover fill
  // Only one row is hovered.
  std::size_t hover_fills = 0;
  for (const auto& c : calls) hover_fills += c.op == Op::FillRound && c.radius == 6;
  EXPECT_EQ(hover_fills, 1u);
}

TEST(Paint, CardsOutsideTheVisibleBandAreSkipped) {
  // One column at 800 px: cards of 5 rows (228 high) at 164, 408 and 652.
  Report report{"T", "", {}, false};
  for (const char* title : {"A", "B", "C"}) {
    Section s{title, {}, SectionKind::Memory};
    for (int i = 0; i < 5; ++i) s.rows.push_back(Row::plain("l", "v"));
    report.sections.push_back(s);
  }
  struct Case {
    float scroll;
    int hc;
    std::vector<std::string> drawn;
  };
  const Case cases[] = {
      {0, 408, {"A", "B"}},        // B's top exactly at the client bottom is drawn
      {0, 407, {"A"}},
      {340, 300, {"A", "B"}},      // A's bottom exactly on the toolbar line is drawn
      {341, 311, {"B", "C"}},    // C's top exactly at the client bottom
  };
  for (const Case& c : cases) {
    AppState state;
    state.report = report;
    state.scroll = c.scroll;
    std::vector<std::string> drawn;
    for (const auto& call : frame(state, {800, c.hc})) {
      if (call.op == Op::Text && call.style == TextStyle::BodyStrong && call.text != "Kestro") {
        drawn.push_back(call.text);
      }
    }
    EXPECT_EQ(drawn, c.drawn) << c.scroll << " " << c.hc;
  }
}

TEST(Paint, ToolbarButtonsFollowHover) {
  ScopedLanguageOverride english("en");
  const Palette& p = palette(true);
  struct Case {
    HitKind hover;
    Colour copy_fill;
    std::optional<Colour> admin_fill, menu_fill;
  };
  const Colour muted = p.text_muted;
  const Case cases[] = {
      {HitKind::None, p.accent, with_alpha(muted, 0.1f), std::nullopt},
      {HitKind::CopyAll, with_alpha(p.accent, 0.85f), with_alpha(muted, 0.1f), std::nullopt},
      {HitKind::ViewAsAdmin, p.accent, with_alpha(muted, 0.18f), std::nullopt},
      {HitKind::Menu, p.accent, with_alpha(muted, 0.1f), with_alpha(muted, 0.18f)},
  };
  for (const Case& c : cases) {
    AppState state;
    state.dark = true;
    state.report = Report{"T", "", {}, true};
    state.hover = HitTarget{c.hover, 0, 0};
    const auto calls = frame(state);
    EXPECT_EQ(calls[0].colour, p.background);
    const std::size_t menu = [&] {
      for (std::size_t i = 0; i < calls.size(); ++i)
        if (calls[i].op == Op::Icon && calls[i].text == kMenuGlyph) return i;
      return test::npos;
    }();
    ASSERT_NE(menu, test::npos);
    if (c.menu_fill) {
      EXPECT_EQ(calls[menu - 1].op, Op::FillRound);
      EXPECT_EQ(calls[menu - 1].colour, *c.menu_fill);
      EXPECT_EQ(calls[menu - 1].radius, 8);
    } else {
      EXPECT_NE(calls[menu - 1].op, Op::FillRound);
    }
    const std::size_t copy = find_text(calls, "Copy all");
    EXPECT_EQ(calls[copy - 1].colour, c.copy_fill);
    EXPECT_EQ(calls[copy].colour, kWhite);
    EXPECT_TRUE(calls[copy].centred);
    const std::size_t admin = find_text(calls, "View as administrator");
    EXPECT_EQ(calls[admin - 1].colour, *c.admin_fill);
    EXPECT_EQ(calls[admin].colour, p.text);
    EXPECT_EQ(calls[admin].style, TextStyle::Body);
  }
}

TEST(Paint, AdminNoteBelowTheCards) {
  ScopedLanguageOverride english("en");
  AppState state;
  state.report = Report{"T", "", {Section{"S", {Row::plain("a", "b")}, SectionKind::Storage}}, true};
  const auto calls = frame(state);
  const std::size_t note = find_text(calls, 
      "Disk life and temperature need administrator rights. Click 'View as administrator' above.");
  ASSERT_NE(note, test::npos);
  // Card 164 … 256, columns end at 272; H = 272 + 36 + 24 = 332; note at H − 44.
  EXPECT_EQ(calls[note].rect, (RectF{24, 288, 1032, 24}));
  EXPECT_EQ(calls[note].style, TextStyle::Caption);
  EXPECT_EQ(calls[note].colour, palette(false).text_muted);
  EXPECT_EQ(calls[note + 1].op, Op::FillBox);  // the toolbar comes right after
}

TEST(Paint, ToastIsTheLastThingDrawn) {
  struct Case {
    std::string text;
    int wc;
    RectF box;
  };
  const Case cases[] = {
      {"Copied: Model: X1", 1080, {RectF{465, 736, 151, 38}}},  // 17 × 7 + 32 wide; 464.5 rounds up
      {std::string(200, 'x'), 1080, {RectF{16, 736, 1048, 38}}},           // capped at Wc − 32
  };
  for (const Case& c : cases) {
    AppState state;
    state.toast = c.text;
    const auto calls = frame(state, {c.wc, 800});
    ASSERT_GE(calls.size(), 2u);
    const CanvasCall& face = calls[calls.size() - 2];
    const CanvasCall& text = calls.back();
    EXPECT_EQ(face.op, Op::FillRound);
    EXPECT_EQ(face.rect, c.box) << c.text;
    EXPECT_EQ(face.colour, kToastFace);
    EXPECT_EQ(face.radius, 8);
    EXPECT_EQ(text.text, c.text);
    EXPECT_EQ(text.rect, (RectF{c.box.x + 16, 736, c.box.width - 32, 38}));
    EXPECT_EQ(text.colour, kWhite);
    EXPECT_TRUE(text.centred);
  }
}

TEST(Paint, CardGlyphsAndToneColours) {
  EXPECT_EQ(card_glyph(SectionKind::Battery), "\uE83F");
  // Every card of the registry has a glyph of its own.
  std::set<std::string_view> glyphs;
  for (const probe::SectionEntry& section : probe::section_registry()) {
    EXPECT_TRUE(is_icon_caption(card_glyph(section.kind))) << static_cast<int>(section.kind);
    EXPECT_TRUE(glyphs.insert(card_glyph(section.kind)).second) << static_cast<int>(section.kind);
  }
  EXPECT_EQ(tone_colour_f(Tone::Warning), (Colour{0xD9 / 255.0f, 0x77 / 255.0f, 0x06 / 255.0f, 1}));
}

TEST(Paint, IconCaptionsArePrivateUseCharacters) {
  struct Case {
    std::string_view text;
    bool icon;
  };
  const Case cases[] = {{kMenuGlyph, true},       {"\xEE\x80\x80", true},  {"\xEF\xA3\xBF", true},
                        {"\xEF\xA4\x80", false},  {"\xED\x9F\xBF", false}, {"Copy all", false},
                        {"", false},              {"\xEE\x80", false}};
  for (const Case& c : cases) EXPECT_EQ(is_icon_caption(c.text), c.icon) << c.text;
}

}  // namespace
}  // namespace kestro::app

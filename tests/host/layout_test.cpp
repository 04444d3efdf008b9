#include "app/view/layout.h"

#include <gtest/gtest.h>

#include "i18n/translate.h"
#include "recording_canvas.h"

namespace kestro::app {
namespace {

using test::RecordingCanvas;

Section section(SectionKind kind, std::size_t rows) {
  Section s{"card", {}, kind};
  for (std::size_t i = 0; i < rows; ++i) s.rows.push_back(Row::plain("label", "value"));
  return s;
}

Report report_of(std::vector<Section> sections, bool needs_admin = false) {
  return Report{"This PC", "Windows 11", std::move(sections), needs_admin};
}

TEST(LayoutMetrics, ColumnsAndContentWidthFollowTheClientWidth) {
  struct Case {
    int wc;
    float scale;
    float width, left;
    int columns;
    float column_width;
  };
  const Case cases[] = {
      {1080, 1.0f, 1032, 24, 2, 508},
      {800, 1.0f, 752, 24, 1, 752},
      {1800, 1.0f, 1120, 340, 2, 552},
      {808, 1.0f, 760, 24, 2, 372},   // exactly 760 is wide enough for two
      {1620, 1.5f, 1548, 36, 2, 762},
  };
  for (const Case& c : cases) {
    const LayoutMetrics m = layout_metrics({c.wc, 600}, c.scale);
    EXPECT_FLOAT_EQ(m.content_width, c.width) << c.wc;
    EXPECT_FLOAT_EQ(m.content_left, c.left) << c.wc;
    EXPECT_EQ(m.columns, c.columns) << c.wc;
    EXPECT_FLOAT_EQ(m.column_width, c.column_width) << c.wc;
  }
}

TEST(LayoutMetrics, MeasuresAtOneAndAHalfScale) {
  const LayoutMetrics m = layout_metrics({1200, 900}, 1.5f);
  EXPECT_FLOAT_EQ(m.toolbar, 78);
  EXPECT_FLOAT_EQ(m.row_height, 51);
  EXPECT_FLOAT_EQ(m.heading, 72);
  EXPECT_FLOAT_EQ(m.gap, 24);
  EXPECT_FLOAT_EQ(m.first_top, 78 + 168);
  RecordingCanvas canvas;
  const auto buttons = layout_toolbar({1200, 900}, 1.5f, nullptr, &canvas);
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_FLOAT_EQ(buttons[0].rect.width, 54);
  EXPECT_FLOAT_EQ(buttons[0].rect.y, 12);
}

// Exact halves round away from zero (never to the even neighbour); the column width floors.
TEST(LayoutMetrics, HalvesRoundAwayFromZeroAndColumnsFloor) {
  const LayoutMetrics at108 = layout_metrics({1200, 900}, 1.125f);
  EXPECT_FLOAT_EQ(at108.toolbar, 59);  // 58.5
  EXPECT_FLOAT_EQ(at108.gap, 18);
  EXPECT_FLOAT_EQ(at108.row_height, 38);  // 38.25
  RecordingCanvas canvas;
  const auto buttons = layout_toolbar({1200, 900}, 1.125f, nullptr, &canvas);
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_FLOAT_EQ(buttons[0].rect.width, 41);  // 40.5
  EXPECT_FLOAT_EQ(buttons[0].rect.y, 9);       // (59 − 41) / 2

  EXPECT_FLOAT_EQ(layout_metrics({1801, 900}, 1.0f).content_left, 341);  // 340.5
  EXPECT_FLOAT_EQ(layout_metrics({1081, 900}, 1.0f).column_width, 508);  // 508.5
}

struct Placed {
  float x, y, width, height;
};

TEST(LayoutCards, PlacementInOneAndTwoColumns) {
  struct Case {
    const char* name;
    int wc;
    std::vector<Section> sections;
    std::vector<Placed> expected;
  };
  const Case cases[] = {
      {"summary spans, tie goes left",
       1080,
       {section(SectionKind::Summary, 5), section(SectionKind::Processor, 4),
        section(SectionKind::Memory, 3)},
       {{24, 164, 1032, 228}, {24, 408, 508, 194}, {548, 408, 508, 160}}},
      {"next card takes the shorter column",
       1080,
       {section(SectionKind::Processor, 4), section(SectionKind::Memory, 3),
        section(SectionKind::Graphics, 1), section(SectionKind::Storage, 1)},
       // Processor ends at 358 (+16), Memory at 324 (+16): Graphics goes right, then the
       // columns are 374 and 340 + 92 = 432, so Storage goes left.
       {{24, 164, 508, 194}, {548, 164, 508, 160}, {548, 340, 508, 92}, {24, 374, 508, 92}}},
      {"the security card spans both columns too",
       1080,
       {section(SectionKind::Processor, 4), section(SectionKind::Security, 1)},
       {{24, 164, 508, 194}, {24, 374, 1032, 92}}},
      {"summary after cards waits for the taller column",
       1080,
       {section(SectionKind::Processor, 4), section(SectionKind::Summary, 1)},
       {{24, 164, 508, 194}, {24, 374, 1032, 92}}},
      {"one column: summary is an ordinary card",
       800,
       {section(SectionKind::Summary, 5), section(SectionKind::Processor, 4)},
       {{24, 164, 752, 228}, {24, 408, 752, 194}}},
  };
  for (const Case& c : cases) {
    const Report report = report_of(c.sections);
    const CardLayout layout = layout_cards({c.wc, 700}, 1.0f, &report);
    ASSERT_EQ(layout.cards.size(), c.expected.size()) << c.name;
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      const CardBox& card = layout.cards[i];
      EXPECT_FLOAT_EQ(card.x, c.expected[i].x) << c.name << " card " << i;
      EXPECT_FLOAT_EQ(card.y, c.expected[i].y) << c.name << " card " << i;
      EXPECT_FLOAT_EQ(card.width, c.expected[i].width) << c.name << " card " << i;
      EXPECT_FLOAT_EQ(card.height, c.expected[i].height) << c.name << " card " << i;
      ASSERT_EQ(card.rows.size(), c.sections[i].rows.size());
    }
  }
}

TEST(LayoutCards, ContentHeightAndScrollRange) {
  struct Case {
    const char* name;
    bool has_report;
    bool needs_admin;
    int hc;
    float height, max_scroll;
  };
  // One Summary card of 5 rows: the columns end at 164 + 228 + 16 = 408.
  const Case cases[] = {
      {"plain", true, false, 400, 432, 32},
      {"admin note adds 36", true, true, 400, 468, 68},
      {"note makes it scroll by exactly its space", true, true, 432, 468, 36},
      {"window taller than the content", true, false, 900, 432, 0},
      {"loading", false, false, 100, 0, 0},
  };
  for (const Case& c : cases) {
    const Report report = report_of({section(SectionKind::Summary, 5)}, c.needs_admin);
    const CardLayout layout = layout_cards({1080, c.hc}, 1.0f, c.has_report ? &report : nullptr);
    EXPECT_FLOAT_EQ(layout.content_height, c.height) << c.name;
    EXPECT_FLOAT_EQ(max_scroll(layout, {1080, c.hc}), c.max_scroll) << c.name;
    if (!c.has_report) EXPECT_TRUE(layout.cards.empty());
  }
  const Report empty = report_of({});
  EXPECT_FLOAT_EQ(layout_cards({1080, 100}, 1.0f, &empty).content_height, 164 + 24);
}

TEST(LayoutToolbar, ButtonsFromRightToLeft) {
  ScopedLanguageOverride english("en");
  RecordingCanvas canvas;
  struct Case {
    const char* name;
    bool has_report;
    bool needs_admin;
    std::vector<HitKind> kinds;
  };
  const Case cases[] = {
      {"loading", false, false, {HitKind::Menu, HitKind::Refresh}},
      {"report", true, false, {HitKind::Menu, HitKind::Refresh, HitKind::CopyAll}},
      {"needs admin", true, true,
       {HitKind::Menu, HitKind::Refresh, HitKind::CopyAll, HitKind::ViewAsAdmin}},
  };
  for (const Case& c : cases) {
    const Report report = report_of({}, c.needs_admin);
    const auto buttons =
        layout_toolbar({1080, 700}, 1.0f, c.has_report ? &report : nullptr, &canvas);
    ASSERT_EQ(buttons.size(), c.kinds.size()) << c.name;
    for (std::size_t i = 0; i < buttons.size(); ++i) EXPECT_EQ(buttons[i].kind, c.kinds[i]);
  }

  const Report report = report_of({}, true);
  const auto buttons = layout_toolbar({1080, 700}, 1.0f, &report, &canvas);
  // Icons 36 wide with 6 between; text buttons are caption (7 px a byte here) + 30 wide.
  EXPECT_EQ(buttons[0].rect, (gfx::RectF{1034, 8, 36, 36}));
  EXPECT_EQ(buttons[0].caption, kMenuGlyph);
  EXPECT_EQ(buttons[1].rect, (gfx::RectF{992, 8, 36, 36}));
  EXPECT_EQ(buttons[1].caption, kRefreshGlyph);
  EXPECT_EQ(buttons[2].rect, (gfx::RectF{900, 8, 86, 36}));
  EXPECT_EQ(buttons[2].caption, "Copy all");
  EXPECT_EQ(buttons[3].rect, (gfx::RectF{717, 8, 177, 36}));
  EXPECT_EQ(buttons[3].caption, "View as administrator");

  EXPECT_TRUE(layout_toolbar({1080, 700}, 1.0f, &report, nullptr).empty());
  canvas.can_measure = false;  // an unmeasurable caption still gets its padding
  EXPECT_FLOAT_EQ(layout_toolbar({1080, 700}, 1.0f, &report, &canvas)[2].rect.width, 30);
}

TEST(RowContentLayout, BarPillAndValuePositions) {
  RecordingCanvas canvas;
  // A row of a 508-wide card at 96 DPI: L = 162.56, value area 194.56 … 514 (a = 319.44).
  const gfx::RectF row{32, 300, 492, 34};
  struct Case {
    const char* name;
    Row data;
    std::optional<gfx::RectF> bar, pill;
    float value_left;
  };
  const float left = 32 + 162.56f;
  const Case cases[] = {
      {"plain", Row::plain("Model", "X1"), std::nullopt, std::nullopt, left},
      {"gauge without badge", Row::gauge_row("C:", "40%", 0.4f),
       gfx::RectF{left, 314, 319.44f * 0.4f, 6}, std::nullopt, left + 319.44f * 0.4f + 10},
      {"gauge coloured by tone gets the longer bar",
       Row::toned_gauge("Life left", "87%", Tone::Good, 0.87f), gfx::RectF{left, 314, 143.748f, 6},
       std::nullopt, left + 143.748f + 10},
      {"badge text: pill, no bar even with a gauge",
       Row{"Health", "", Tone::Good, std::string("Healthy"), 0.5f}, std::nullopt,
       gfx::RectF{left, 307, 49 + 18, 20}, left + 67 + 8},
      {"status row", Row::status("Activation", "Activated", Tone::Good), std::nullopt,
       gfx::RectF{left, 307, 63 + 18, 20}, left + 81 + 8},
  };
  for (const Case& c : cases) {
    const RowContent parts = row_content_layout(row, 508, 1.0f, c.data, &canvas);
    EXPECT_EQ(parts.label, (gfx::RectF{40, 300, 150.56f, 34})) << c.name;
    ASSERT_EQ(parts.bar.has_value(), c.bar.has_value()) << c.name;
    if (c.bar) {
      EXPECT_FLOAT_EQ(parts.bar->x, c.bar->x) << c.name;
      EXPECT_FLOAT_EQ(parts.bar->y, c.bar->y) << c.name;
      EXPECT_NEAR(parts.bar->width, c.bar->width, 1e-3) << c.name;
      EXPECT_FLOAT_EQ(parts.bar->height, 6) << c.name;
    }
    ASSERT_EQ(parts.pill.has_value(), c.pill.has_value()) << c.name;
    if (c.pill) EXPECT_EQ(*parts.pill, *c.pill) << c.name;
    EXPECT_NEAR(parts.value.x, c.value_left, 1e-3) << c.name;
    EXPECT_NEAR(parts.value.x + parts.value.width, 514, 1e-3) << c.name;
    EXPECT_FLOAT_EQ(parts.value.y, 300) << c.name;
    EXPECT_FLOAT_EQ(parts.value.height, 34) << c.name;
  }
}

TEST(RowContentLayout, BarWidthIsCappedAndLabelColumnClamped) {
  // A 1032-wide card: L = min(330.24, 170) = 170; a = 1016 − 170 − 10 = 836, bar capped at 140.
  const RowContent parts =
      row_content_layout({32, 0, 1016, 34}, 1032, 1.0f, Row::gauge_row("C:", "1%", 0.01f), nullptr);
  EXPECT_FLOAT_EQ(parts.label.width, 158);
  EXPECT_FLOAT_EQ(parts.bar->width, 140);
  EXPECT_FLOAT_EQ(label_column_width(200, 1.0f), 90);
}

}  // namespace
}  // namespace kestro::app

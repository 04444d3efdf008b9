// The keyboard focus: its order, Tab and Shift+Tab with wrap-around, Enter and Space through the
// click path, scrolling into view, clicks, and keeping the focused row across a refresh.

#include "app/window/keyboard_focus.h"
#include "app/window/window_controller.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/view/text_report.h"
#include "host/sample_reports.h"
#include "i18n/translate.h"
#include "layout_points.h"
#include "window_fakes.h"

namespace kestro::app {
namespace {

using test::FakeWindowHost;
using test::bottom;
using test::storage_report;

const HitTarget kAdmin{HitKind::ViewAsAdmin, 0, 0};
const HitTarget kCopy{HitKind::CopyAll, 0, 0};
const HitTarget kRefresh{HitKind::Refresh, 0, 0};
const HitTarget kMenu{HitKind::Menu, 0, 0};
HitTarget row(std::uint64_t section, std::uint64_t k) { return HitTarget::value(section, k); }

Section section(const char* title, SectionKind kind, std::vector<Row> rows) {
  return Section{title, std::move(rows), kind};
}

Section plain_rows(const char* title, SectionKind kind, int count) {
  Section s{title, {}, kind};
  for (int i = 0; i < count; ++i) s.rows.push_back(Row::plain("Label " + std::to_string(i), "v"));
  return s;
}

Report three_numbered_cards() {
  return Report{"This PC", "", {plain_rows("Summary", SectionKind::Summary, 5),
                                plain_rows("Processor", SectionKind::Processor, 4),
                                plain_rows("Memory", SectionKind::Memory, 3)},
                false};
}

std::string name(const HitTarget& t) {
  switch (t.kind) {
    case HitKind::None: return "none";
    case HitKind::CopyAll: return "copy";
    case HitKind::ViewAsAdmin: return "admin";
    case HitKind::Refresh: return "refresh";
    case HitKind::Menu: return "menu";
    case HitKind::Value: return std::to_string(t.section) + "," + std::to_string(t.row);
  }
  return "?";
}

std::vector<std::string> names(const std::vector<HitTarget>& targets) {
  std::vector<std::string> out;
  for (const HitTarget& t : targets) out.push_back(name(t));
  return out;
}

TEST(KeyboardFocus, VisualOrderGoesByTopThenLeft) {
  struct Case {
    std::vector<std::pair<float, float>> cards;  // (x, y)
    std::vector<std::size_t> order;
  };
  const Case cases[] = {
      {{{24, 164}, {24, 408}, {548, 408}}, {0, 1, 2}},
      {{{548, 408}, {24, 408}, {24, 164}}, {2, 1, 0}},  // a tie goes to the left card
      {{{24, 500}, {548, 300}, {24, 300}}, {2, 1, 0}},
      {{}, {}},
  };
  for (const Case& c : cases) {
    CardLayout layout;
    for (const auto& [x, y] : c.cards) layout.cards.push_back(CardBox{x, y, 100, 50, {}});
    EXPECT_EQ(visual_order(layout), c.order);
  }
}

TEST(KeyboardFocus, OrderIsToolbarLeftToRightThenRows) {
  ScopedLanguageOverride english("en");
  struct Case {
    const char* name;
    std::optional<Report> report;
    ClientSize client;
    bool measurer;
    std::vector<std::string> order;
  };
  Report no_admin = storage_report();
  no_admin.needs_admin = false;
  const Case cases[] = {
      {"two columns", storage_report(), {1080, 800}, true,
       {"admin", "copy", "refresh", "menu", "0,0", "1,0", "1,1"}},
      {"one column", three_numbered_cards(), {800, 600}, true,
       {"copy", "refresh", "menu", "0,0", "0,1", "0,2", "0,3", "0,4", "1,0", "1,1", "1,2", "1,3",
        "2,0", "2,1", "2,2"}},
      {"no administrator button", no_admin, {1080, 800}, true,
       {"copy", "refresh", "menu", "0,0", "1,0", "1,1"}},
      {"loading", std::nullopt, {1080, 800}, true, {"refresh", "menu"}},
      {"no device: rows only", storage_report(), {1080, 800}, false, {"0,0", "1,0", "1,1"}},
  };
  for (const Case& c : cases) {
    AppState state;
    state.report = c.report;
    test::RecordingCanvas measurer;
    EXPECT_EQ(names(focus_order(state, c.client, c.measurer ? &measurer : nullptr)), c.order)
        << c.name;
  }
}

TEST(KeyboardFocus, NextWrapsAroundBothWays) {
  const std::vector<HitTarget> order{kCopy, kRefresh, row(0, 0), row(1, 0)};
  struct Case {
    HitTarget from;
    bool backwards;
    HitTarget to;
  };
  const Case cases[] = {
      {kCopy, false, kRefresh},         {row(0, 0), false, row(1, 0)},
      {row(1, 0), false, kCopy},        {kCopy, true, row(1, 0)},
      {row(0, 0), true, kRefresh},      {HitTarget{}, false, kCopy},
      {HitTarget{}, true, row(1, 0)},   {row(7, 7), false, kCopy},  // no longer there
      {kMenu, true, row(1, 0)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(name(next_focus(order, c.from, c.backwards)), name(c.to))
        << name(c.from) << (c.backwards ? " back" : " forward");
  }
  EXPECT_EQ(next_focus({}, kCopy, false), HitTarget{});
}

TEST(KeyboardFocus, FocusedRowsScrollIntoView) {
  struct Case {
    const char* name;
    int hc;
    float scroll;
    HitTarget target;
    float expected;
  };
  const test::WindowLayout at(three_numbered_cards(), {800, 600});
  // The band rows are scrolled into, and a scroll with the third row just in it, the second not.
  const float top = at.toolbar + 8, low = 600 - 8, third = at.row(0, 2).y - top - 2;
  const Case cases[] = {
      {"first row of a card brings its heading", 600, 0, row(2, 0), bottom(at.row(2, 0)) - low},
      {"last row down to the margin", 600, 0, row(2, 2), bottom(at.row(2, 2)) - low},
      {"up to the card's heading", 600, third, row(0, 0), at.cards[0].y - top},
      {"already in view", 600, third, row(0, 2), third},
      {"up to the row's top", 600, third, row(0, 1), at.row(0, 1).y - top},
      {"taller than the band: the top wins", 100, 0, row(1, 1), at.row(1, 1).y - top},
      {"buttons never scroll", 600, 100, kMenu, 100},
      {"stale rows never scroll", 600, 100, row(5, 0), 100},
  };
  for (const Case& c : cases) {
    AppState state;
    state.report = three_numbered_cards();
    state.scroll = c.scroll;
    scroll_into_view(state, {800, c.hc}, c.target);
    EXPECT_FLOAT_EQ(state.scroll, c.expected) << c.name;
  }
}

class FocusKeysTest : public ::testing::Test, public test::ControllerFixture {
 protected:
  FocusKeysTest() { load(storage_report()); }
  void click(test::Point p) { ControllerFixture::click(p.x, p.y); }
  const test::WindowLayout layout{storage_report()};
  void tabs(int n) {
    for (int i = 0; i < n; ++i) key(kVkTab);
  }
};

TEST_F(FocusKeysTest, TabShowsTheFocusAndWrapsAround) {
  EXPECT_EQ(state().focus, HitTarget{});
  EXPECT_FALSE(state().focus_visible);
  key(kVkTab);
  EXPECT_EQ(state().focus, kAdmin);
  EXPECT_TRUE(state().focus_visible);
  EXPECT_EQ(host.invalidations, 1);
  tabs(6);
  EXPECT_EQ(state().focus, row(1, 1));
  key(kVkTab);
  EXPECT_EQ(state().focus, kAdmin);  // wrapped
  key(kVkTab, true);
  EXPECT_EQ(state().focus, row(1, 1));
  key(kVkTab, true);
  EXPECT_EQ(state().focus, row(1, 0));
  EXPECT_TRUE(host.clipboard_writes.empty());  // moving the focus does nothing else
}

TEST_F(FocusKeysTest, EnterAndSpaceActLikeAReleasedClick) {
  struct Case {
    const char* name;
    int tabs;
    std::uint32_t vk;
    std::string clipboard;  // empty: nothing copied
    std::optional<std::string> toast;
    std::vector<std::pair<int, int>> menus;
    int relaunches, probes;
  };
  const std::string report = plain_text_report(storage_report());
  const test::Point under_menu{layout.button(HitKind::Menu).x, bottom(layout.button(HitKind::Menu))};
  const Case cases[] = {
      {"nothing focused", 0, kVkReturn, "", std::nullopt, {}, 0, 0},
      {"view as administrator", 1, kVkReturn, "", std::nullopt, {}, 1, 0},
      {"copy all", 2, kVkSpace, report, "Copied everything. Paste it anywhere.", {}, 0, 0},
      {"refresh", 3, kVkReturn, "", std::nullopt, {}, 0, 1},
      {"menu opens under the button", 4, kVkSpace, "", std::nullopt, {{under_menu.x, under_menu.y}}, 0, 0},
      {"summary row", 5, kVkReturn, "Model: X1", "Copied: Model: X1", {}, 0, 0},
      {"status row", 7, kVkSpace, "Health: Healthy", "Copied: Health: Healthy", {}, 0, 0},
  };
  for (const Case& c : cases) {
    state().focus = HitTarget{};
    state().toast.reset();
    tabs(c.tabs);
    forget_records();
    key(c.vk);
    EXPECT_EQ(host.clipboard_writes.empty() ? "" : host.clipboard_writes[0], c.clipboard)
        << c.name;
    EXPECT_EQ(state().toast, c.toast) << c.name;
    EXPECT_EQ(menu_host.menus, c.menus) << c.name;
    EXPECT_EQ(menu_host.relaunches, c.relaunches) << c.name;
    EXPECT_EQ(host.probes_started, c.probes) << c.name;
    EXPECT_FALSE(slot.in_use()) << c.name;
    if (c.probes == 1) {  // the refresh dropped the report; bring it back for the next case
      probes.put({storage_report()});
      controller.on_probe_done();
    }
  }
}

TEST_F(FocusKeysTest, PressingRunsWithTheStateReleased) {
  tabs(4);  // Menu
  bool reached = false;
  menu_host.during_modal = [&] {
    EXPECT_FALSE(slot.in_use());
    reached = true;
  };
  key(kVkReturn);
  EXPECT_TRUE(reached);
}

TEST_F(FocusKeysTest, OtherKeysKeepTheirMeaning) {
  host.client = {1080, 200};  // the report is now taller than the window
  tabs(5);                    // the Summary row, already in view
  const float scroll = state().scroll;
  controller.on_key(kVkDown, false);
  EXPECT_FLOAT_EQ(state().scroll, scroll + 60);
  EXPECT_EQ(state().focus, row(0, 0));
  controller.on_key(kVkC, true);
  ASSERT_EQ(host.clipboard_writes.size(), 1u);
  EXPECT_EQ(host.clipboard_writes[0], plain_text_report(storage_report()));
  controller.on_key(kVkF5, false);
  EXPECT_EQ(host.probes_started, 1);
}

TEST_F(FocusKeysTest, TabScrollsTheFocusedRowIntoView) {
  host.client = {1080, 200};  // the cards stay where they are; the band ends at 200 - 8
  tabs(5);  // Summary's row
  EXPECT_FLOAT_EQ(state().scroll, bottom(layout.row(0, 0)) - (200 - 8));
  key(kVkTab);  // Storage's first row
  EXPECT_FLOAT_EQ(state().scroll, bottom(layout.row(1, 0)) - (200 - 8));
  key(kVkTab);  // its second row
  EXPECT_FLOAT_EQ(state().scroll, bottom(layout.row(1, 1)) - (200 - 8));
  key(kVkTab, true);  // Storage's heading is still in view
  EXPECT_FLOAT_EQ(state().scroll, bottom(layout.row(1, 1)) - (200 - 8));
  key(kVkTab, true);  // up to the top of the Summary card
  EXPECT_FLOAT_EQ(state().scroll, layout.cards[0].y - (layout.toolbar + 8));
}

TEST_F(FocusKeysTest, ClicksMoveTheFocusAndHideItsRectangle) {
  tabs(2);
  ASSERT_EQ(state().focus, kCopy);
  click(layout.at(1, 0));  // on Storage's first row
  EXPECT_EQ(state().focus, row(1, 0));
  EXPECT_FALSE(state().focus_visible);
  key(kVkTab);
  EXPECT_EQ(state().focus, row(1, 1));  // Tab goes on from the clicked row
  EXPECT_TRUE(state().focus_visible);
  click(layout.heading(1));  // a card heading takes no focus
  EXPECT_EQ(state().focus, row(1, 1));
  EXPECT_FALSE(state().focus_visible);
  host.invalidations = 0;
  click(layout.heading(1));
  EXPECT_EQ(host.invalidations, 0);  // nothing changed
  key(kVkSpace);                     // Space after a click acts and shows the focus again
  EXPECT_EQ(host.clipboard_writes.back(), "Health: Healthy");
  EXPECT_TRUE(state().focus_visible);
}

TEST_F(FocusKeysTest, RefreshKeepsTheFocusOnTheSameRow) {
  struct Case {
    const char* name;
    Report next;
    std::optional<HitTarget> expected;
  };
  Report moved = storage_report();  // Storage third, with a row in front of the focused one
  moved.sections.insert(moved.sections.begin() + 1,
                        section("Memory", SectionKind::Memory, {Row::plain("Installed", "16 GB")}));
  moved.sections[2].rows.insert(moved.sections[2].rows.begin(), Row::plain("Count", "2"));
  moved.sections[2].rows[2].value = "Samsung 990 (new)";
  Report twins = storage_report();  // the same label twice: the first one stays first
  twins.sections[1].rows = {Row::plain("Disk", "A"), Row::plain("Disk", "B")};
  Report gone = storage_report();
  gone.sections[1].rows.erase(gone.sections[1].rows.begin());
  Report no_card = storage_report();
  no_card.sections.pop_back();
  const Case cases[] = {
      {"same report", storage_report(), row(1, 0)},
      {"moved row", moved, row(2, 1)},
      {"first of two with the label", twins, row(1, 0)},
      {"row gone", gone, HitTarget{}},
      {"card gone", no_card, HitTarget{}},
  };
  for (const Case& c : cases) {
    probes.put({storage_report()});
    controller.on_probe_done();
    state().focus = row(1, 0);  // "Disk"
    state().focus_visible = true;
    controller.refresh();
    EXPECT_EQ(state().focus, HitTarget{}) << c.name;  // nothing focused while loading
    probes.put({c.next});
    controller.on_probe_done();
    EXPECT_EQ(name(state().focus), name(*c.expected)) << c.name;
    EXPECT_FALSE(state().focus_memory.has_value()) << c.name;
  }
}

TEST_F(FocusKeysTest, TabWhileLoadingForgetsTheRow) {
  tabs(6);
  controller.refresh();
  ASSERT_TRUE(state().focus_memory.has_value());
  click(layout.heading(1));  // a click on nothing keeps it
  EXPECT_TRUE(state().focus_memory.has_value());
  key(kVkTab);
  EXPECT_EQ(state().focus, kRefresh);  // loading: only Refresh and Menu
  EXPECT_FALSE(state().focus_memory.has_value());
  probes.put({storage_report()});
  controller.on_probe_done();
  EXPECT_EQ(state().focus, kRefresh);
}

TEST_F(FocusKeysTest, AutomationPressAndFocus) {
  controller.press(row(1, 1));
  ASSERT_EQ(host.clipboard_writes.size(), 1u);
  EXPECT_EQ(host.clipboard_writes[0], "Health: Healthy");
  EXPECT_EQ(state().focus, HitTarget{});  // pressing does not move the focus
  controller.press(row(4, 0));            // stale: nothing
  controller.press(kMenu);
  EXPECT_EQ(menu_host.menus.size(), 1u);
  EXPECT_EQ(host.clipboard_writes.size(), 1u);

  controller.focus(row(1, 0));
  EXPECT_EQ(state().focus, row(1, 0));
  EXPECT_TRUE(state().focus_visible);
  controller.focus(row(9, 9));  // not shown: the focus stays
  EXPECT_EQ(state().focus, row(1, 0));
}

}  // namespace
}  // namespace kestro::app

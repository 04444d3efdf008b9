// The accessibility tree built from recorded reports and layouts: shape, roles, names, values,
// rectangles, hit tests.

#include "app/access/accessibility_tree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/view/layout.h"
#include "app/view/text_report.h"
#include "host/access_trees.h"
#include "i18n/translate.h"

namespace kestro::app {
namespace {

using gfx::RectF;
using test::find_named;
using test::loaded;
using test::recorded_report;
using test::tree_of;
using namespace std::chrono_literals;


const char* role_name(AccessRole role) {
  switch (role) {
    case AccessRole::Window: return "Window";
    case AccessRole::Button: return "Button";
    case AccessRole::Text: return "Text";
    case AccessRole::Group: return "Group";
    case AccessRole::ProgressBar: return "ProgressBar";
  }
  return "?";
}

// The tree walked through its links (first child, next sibling), one line per element:
// depth, role, name.
std::vector<std::string> walk(const AccessTree& tree) {
  std::vector<std::string> lines;
  const auto visit = [&](auto&& self, std::int32_t at, int depth) -> void {
    const AccessNode& node = tree.nodes[static_cast<std::size_t>(at)];
    lines.push_back(std::to_string(depth) + " " + role_name(node.role) + " " + node.name);
    for (std::int32_t c = node.first_child; c != kNoNode;
         c = tree.nodes[static_cast<std::size_t>(c)].next) {
      EXPECT_EQ(tree.nodes[static_cast<std::size_t>(c)].parent, at);
      self(self, c, depth + 1);
    }
  };
  visit(visit, 0, 0);
  return lines;
}

TEST(AccessibilityTree, ShapeRolesAndNamesFollowTheWindow) {
  ScopedLanguageOverride english("en");
  const std::vector<std::string> expected{
      "0 Window Kestro",
      "1 Button View as administrator",
      "1 Button Copy all",
      "1 Button Refresh",
      "1 Button Menu",
      "1 Text This PC",
      "1 Text Windows 11",
      "1 Group Summary",
      "2 Button Model: X1",
      "2 Button Drive C: 412 GB of 953 GB used",
      "3 ProgressBar Drive C",
      "1 Group Storage",
      "2 Button Disk: Samsung 990",
      "2 Button Health: Healthy",
      "2 Button Life left: 87%",
      "3 ProgressBar Life left",
      "1 Text Disk life and temperature need administrator rights. Click 'View as "
      "administrator' above.",
  };
  const AccessTree tree = tree_of(loaded());
  EXPECT_EQ(walk(tree), expected);

  // Rows are named exactly as they are copied, and invoking one copies it.
  const Report report = recorded_report();
  for (std::size_t i = 0; i < report.sections.size(); ++i) {
    for (std::size_t k = 0; k < report.sections[i].rows.size(); ++k) {
      const std::int32_t at = find_named(tree, value_line(report.sections[i].rows[k]));
      ASSERT_NE(at, kNoNode);
      const AccessNode& node = tree.nodes[static_cast<std::size_t>(at)];
      EXPECT_EQ(node.action, HitTarget::value(i, k));
      EXPECT_TRUE(node.focusable);
    }
  }
  // Nothing but buttons and rows is focusable or invokable; gauges carry their percentage.
  for (const AccessNode& node : tree.nodes) {
    EXPECT_EQ(node.focusable, node.role == AccessRole::Button) << node.name;
    EXPECT_EQ(node.action.kind != HitKind::None, node.focusable) << node.name;
    EXPECT_EQ(node.percent.has_value(), node.role == AccessRole::ProgressBar) << node.name;
    EXPECT_FALSE(node.live) << node.name;
  }
  const std::int32_t gauge = find_named(tree, "Drive C");
  EXPECT_FLOAT_EQ(*tree.nodes[static_cast<std::size_t>(gauge)].percent, 43.0f);
  EXPECT_FLOAT_EQ(*tree.nodes[static_cast<std::size_t>(find_named(tree, "Life left"))].percent,
                  87.0f);
  EXPECT_EQ(tree.focus, kNoNode);
}

TEST(AccessibilityTree, LoadingToastAndFocus) {
  ScopedLanguageOverride english("en");
  AppState state;  // loading
  state.toast = "Copied everything. Paste it anywhere.";
  state.toast_shown_at = Clock::time_point(5s);
  state.focus = HitTarget{HitKind::Refresh, 0, 0};
  const AccessTree tree = tree_of(state);
  const std::vector<std::string> expected{
      "0 Window Kestro", "1 Button Refresh", "1 Button Menu", "1 Text Reading this PC's details",
      "1 Text Copied everything. Paste it anywhere."};
  EXPECT_EQ(walk(tree), expected);
  const AccessNode& toast = tree.nodes.back();
  EXPECT_TRUE(toast.live);
  // 37 characters of 7 px + 32, centred, 64 above the bottom.
  EXPECT_EQ(toast.rect, (RectF{395, 736, 291, 38}));
  EXPECT_EQ(tree.toast_stamp, Clock::time_point(5s).time_since_epoch().count());
  EXPECT_EQ(tree.nodes[3].rect, (RectF{0, 380, 1080, 40}));  // the loading sentence
  ASSERT_NE(tree.focus, kNoNode);
  EXPECT_EQ(tree.nodes[static_cast<std::size_t>(tree.focus)].name, "Refresh");

  state.focus = HitTarget{HitKind::CopyAll, 0, 0};  // not there while loading
  EXPECT_EQ(tree_of(state).focus, kNoNode);
  state.report = recorded_report();
  state.focus = HitTarget::value(1, 1);
  const AccessTree loaded_tree = tree_of(state);
  EXPECT_EQ(loaded_tree.nodes[static_cast<std::size_t>(loaded_tree.focus)].name,
            "Health: Healthy");
}

TEST(AccessibilityTree, RectanglesAreTheLayoutsFollowingScrollAndScale) {
  ScopedLanguageOverride english("en");
  struct Case {
    const char* name;
    std::uint32_t dpi;
    float scroll;
    ClientSize client;
    std::string element;
    RectF rect;
    bool offscreen;
  };
  const Case cases[] = {
      {"row", 96, 0, {1080, 800}, "Model: X1", {32, 212, 1016, 34}, false},
      {"gauge bar", 96, 0, {1080, 800}, "Drive C", {202, 260, 140, 6}, false},
      {"longer toned bar", 96, 0, {1080, 800}, "Life left", {194.56f, 436, 143.748f, 6}, false},
      {"card", 96, 0, {1080, 800}, "Storage", {24, 306, 508, 160}, false},
      {"title", 96, 0, {1080, 800}, "This PC", {24, 76, 1032, 40}, false},
      {"button", 96, 0, {1080, 800}, "Menu", {1034, 8, 36, 36}, false},
      {"row scrolled", 96, 100, {1080, 800}, "Model: X1", {32, 112, 1016, 34}, false},
      {"title under the toolbar", 96, 100, {1080, 800}, "This PC", {24, -24, 1032, 40}, true},
      {"row under the toolbar", 96, 200, {1080, 800}, "Model: X1", {32, 12, 1016, 34}, true},
      {"row half under it", 96, 200, {1080, 800}, "Drive C: 412 GB of 953 GB used",
       {32, 46, 1016, 34}, false},
      {"row below the bottom", 96, 0, {1080, 422}, "Life left: 87%", {32, 422, 492, 34}, true},
      {"buttons stay", 96, 400, {1080, 800}, "Menu", {1034, 8, 36, 36}, false},
      {"row at 150 %", 144, 0, {1620, 1200}, "Model: X1", {48, 318, 1524, 51}, false},
      {"gauge at 150 %", 144, 0, {1620, 1200}, "Drive C", {303, 390, 210, 9}, false},
      {"button at 150 %", 144, 0, {1620, 1200}, "Menu", {1551, 12, 54, 54}, false},
  };
  for (const Case& c : cases) {
    AppState state = loaded(c.scroll);
    state.dpi = c.dpi;
    const AccessTree tree = tree_of(state, c.client);
    const std::int32_t at = find_named(tree, c.element);
    ASSERT_NE(at, kNoNode) << c.name;
    const AccessNode& node = tree.nodes[static_cast<std::size_t>(at)];
    EXPECT_FLOAT_EQ(node.rect.x, c.rect.x) << c.name;
    EXPECT_FLOAT_EQ(node.rect.y, c.rect.y) << c.name;
    EXPECT_FLOAT_EQ(node.rect.width, c.rect.width) << c.name;
    EXPECT_FLOAT_EQ(node.rect.height, c.rect.height) << c.name;
    EXPECT_EQ(node.offscreen, c.offscreen) << c.name;
  }
}

TEST(AccessibilityTree, NodeAtFindsTheInnermostVisibleElement) {
  ScopedLanguageOverride english("en");
  struct Case {
    const char* name;
    float scroll;
    float x, y;
    std::string expected;  // empty: no element
  };
  const Case cases[] = {
      {"row", 0, 100, 220, "Model: X1"},
      {"gauge inside its row", 0, 250, 262, "Drive C"},
      {"beside the gauge", 0, 400, 262, "Drive C: 412 GB of 953 GB used"},
      {"card heading", 0, 100, 180, "Summary"},
      {"title", 0, 100, 90, "This PC"},
      {"margin", 0, 10, 100, "Kestro"},
      {"button", 0, 950, 20, "Copy all"},
      {"toast over everything", 0, 540, 750, "Copied: Model: X1"},
      {"row hidden under the toolbar", 200, 100, 30, "Kestro"},
      {"row below it", 200, 100, 60, "Drive C: 412 GB of 953 GB used"},
      {"outside the client area", 0, -1, 5, ""},
      {"right of the client area", 0, 1080, 5, ""},
  };
  for (const Case& c : cases) {
    AppState state = loaded(c.scroll);
    state.toast = "Copied: Model: X1";
    const AccessTree tree = tree_of(state);
    const std::int32_t at = tree.node_at(c.x, c.y);
    EXPECT_EQ(at == kNoNode ? "" : tree.nodes[static_cast<std::size_t>(at)].name, c.expected)
        << c.name;
  }
}

TEST(AccessibilityTree, StructureChangesWithCardsAndLabelsOnly) {
  const Report base = recorded_report();
  struct Case {
    const char* name;
    void (*change)(Report&);
    bool same;
  };
  const Case cases[] = {
      {"a value", [](Report& r) { r.sections[0].rows[0].value = "Y2"; }, true},
      {"a gauge", [](Report& r) { r.sections[0].rows[1].gauge = 0.5f; }, true},
      {"the title", [](Report& r) { r.title = "Other"; }, true},
      {"a label", [](Report& r) { r.sections[0].rows[0].label = "Maker"; }, false},
      {"a row more", [](Report& r) { r.sections[1].rows.push_back(Row::plain("a", "b")); }, false},
      {"cards swapped", [](Report& r) { std::swap(r.sections[0], r.sections[1]); }, false},
      {"a card's kind", [](Report& r) { r.sections[1].kind = SectionKind::Memory; }, false},
      {"a row moved to the next card",
       [](Report& r) {
         r.sections[1].rows.insert(r.sections[1].rows.begin(), r.sections[0].rows.back());
         r.sections[0].rows.pop_back();
       },
       false},
  };
  EXPECT_EQ(report_structure(nullptr), 0u);
  EXPECT_NE(report_structure(&base), 0u);
  for (const Case& c : cases) {
    Report changed = base;
    c.change(changed);
    EXPECT_EQ(report_structure(&changed) == report_structure(&base), c.same) << c.name;
  }
}

}  // namespace
}  // namespace kestro::app

// Clicks that need a press, and the pop-up menu's commands as the window runs them.

#include <gtest/gtest.h>

#include <memory>

#include "app/window/window_controller.h"
#include "i18n/translate.h"
#include "layout_points.h"
#include "window_fakes.h"

namespace kestro::app {
namespace {

using test::FakeWindowHost;

Report one_row_report() {
  return Report{"This PC", "", {Section{"Summary", {Row::plain("Model", "X1"), Row::plain("CPU", "Y")},
                                        SectionKind::Summary}},
                false};
}

class MenuCommandsTest : public ::testing::Test, public test::ControllerFixture {
 protected:
  MenuCommandsTest() { load(one_row_report()); }
  const test::WindowLayout layout{one_row_report()};
};

TEST_F(MenuCommandsTest, AReleaseActsOnlyAfterAMatchingPress) {
  using test::Point;
  const Point row = layout.at(0, 0), other_row = layout.at(0, 1), menu = layout.at(HitKind::Menu);
  const Point refresh = layout.at(HitKind::Refresh), copy_all = layout.at(HitKind::CopyAll);
  const struct {
    const char* name;
    std::optional<Point> press;  // none: the press went down outside the client area
    Point release;
    int copies, menus, probes;
  } cases[] = {
      {"same row", row, row, 1, 0, 0},
      {"row to another row", row, other_row, 0, 0, 0},
      {"button to a row", copy_all, row, 0, 0, 0},
      {"same button", menu, menu, 0, 1, 0},
      {"row to a button", row, menu, 0, 0, 0},
      {"button to another button", menu, refresh, 0, 0, 0},
      {"title bar double-click, release on a row", std::nullopt, row, 0, 0, 0},
      {"title bar double-click, release on a button", std::nullopt, copy_all, 0, 0, 0},
  };
  for (const auto& c : cases) {
    forget_records();
    if (c.press) controller.on_left_button_down(c.press->x, c.press->y);
    EXPECT_EQ(host.mouse_captured, c.press.has_value()) << c.name;
    controller.on_left_button_up(c.release.x, c.release.y);
    EXPECT_FALSE(host.mouse_captured) << c.name;
    EXPECT_EQ(static_cast<int>(host.clipboard_writes.size()), c.copies) << c.name;
    EXPECT_EQ(static_cast<int>(menu_host.menus.size()), c.menus) << c.name;
    EXPECT_EQ(host.probes_started, c.probes) << c.name;
  }
  // A press whose capture was taken away (a modal loop, another window) is forgotten.
  controller.on_left_button_down(row.x, row.y);
  controller.on_capture_lost();
  controller.on_left_button_up(row.x, row.y);
  EXPECT_TRUE(host.clipboard_writes.empty());
}

TEST_F(MenuCommandsTest, MenuShowsTheStoredSettingsAndRunsTheChoice) {
  menu_host.stored.texts["Language"] = "de";
  menu_host.stored.auto_update = 0;
  menu_host.menu_choice = kCommandFirstLanguage + 6;  // Français
  const test::Point menu_button = layout.at(HitKind::Menu);
  click(menu_button.x, menu_button.y);
  ASSERT_EQ(menu_host.menu_items.size(), 1u);
  EXPECT_EQ(menu_host.menus[0], std::make_pair(menu_button.x, menu_button.y));
  EXPECT_TRUE(menu_host.menu_items[0][0].items[9].checked);   // Deutsch
  EXPECT_FALSE(menu_host.menu_items[0][1].checked);           // automatic updates off
  EXPECT_EQ(menu_host.stored.texts["Language"], "fr");
  EXPECT_EQ(state().toast, "Takes effect the next time Kestro opens");
  // Opening read the two values and wrote only the chosen one.
  EXPECT_EQ(menu_host.stored.reads, 2);
  EXPECT_EQ(menu_host.stored.writes, 1);
}

TEST_F(MenuCommandsTest, CommandEffects) {
  const struct {
    const char* name;
    std::uint32_t id;
    std::optional<std::uint32_t> auto_update_before;
    std::optional<std::uint32_t> auto_update_after;
    std::optional<std::string> language_after;
    std::optional<std::string> toast;
    std::vector<std::string> addresses;
    std::size_t information;
  } cases[] = {
      {"dismissed", kCommandDismissed, std::nullopt, std::nullopt, std::nullopt, std::nullopt, {}, 0},
      {"unknown id", 55, 5u, 5u, std::nullopt, std::nullopt, {}, 0},
      {"toggle from absent", kCommandAutomaticUpdates, std::nullopt, 0u, std::nullopt, std::nullopt, {}, 0},
      {"toggle from 0", kCommandAutomaticUpdates, 0u, 1u, std::nullopt, std::nullopt, {}, 0},
      {"toggle from 5", kCommandAutomaticUpdates, 5u, 0u, std::nullopt, std::nullopt, {}, 0},
      {"follow Windows stores an empty text", kCommandFollowWindows, std::nullopt, std::nullopt, "",
       "Takes effect the next time Kestro opens", {}, 0},
      {"English, unchanged, still tells", kCommandFirstLanguage, std::nullopt, std::nullopt, "en",
       "Takes effect the next time Kestro opens", {}, 0},
      {"website", kCommandMoreApps, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
       {"https://lumwerk.example/"}, 0},
      {"about", kCommandAbout, std::nullopt, std::nullopt, std::nullopt, std::nullopt, {}, 1},
  };
  for (const auto& c : cases) {
    forget_records();
    menu_host.stored.auto_update = c.auto_update_before;
    state().toast.reset();
    menu.run(c.id);
    EXPECT_EQ(menu_host.stored.auto_update, c.auto_update_after) << c.name;
    const auto language = menu_host.stored.texts.find("Language");
    EXPECT_EQ(language == menu_host.stored.texts.end() ? std::nullopt : std::optional(language->second),
              c.language_after)
        << c.name;
    EXPECT_EQ(state().toast, c.toast) << c.name;
    EXPECT_EQ(menu_host.addresses, c.addresses) << c.name;
    ASSERT_EQ(menu_host.information.size(), c.information) << c.name;
    if (c.information == 1) EXPECT_EQ(menu_host.information[0].first, "About Kestro");
  }
}

TEST_F(MenuCommandsTest, LanguageIsStoredButTheToastWaitsForAFreeState) {
  {
    auto borrowed = slot.claim();
    menu.run(kCommandFirstLanguage + 2);  // 日本語
    EXPECT_FALSE(borrowed->toast.has_value());
  }
  EXPECT_EQ(menu_host.stored.texts["Language"], "ja");
  EXPECT_FALSE(state().toast.has_value());
}

// A raised copy (or one whose token cannot be asked) hands the website to the desktop's shell
// and does not raise itself again; a copy with the user's own rights opens it itself.
TEST_F(MenuCommandsTest, ARaisedCopyStartsNothingWithItsOwnRights) {
  const std::vector<std::string> site = {"https://lumwerk.example/"};
  const struct {
    Elevation elevation;
    std::vector<std::string> addresses, desktop;
    int relaunches;
  } cases[] = {
      {Elevation::Limited, site, {}, 1},
      {Elevation::Default, site, {}, 1},
      {Elevation::Full, {}, site, 0},
      {Elevation::Unsplit, {}, site, 0},
      {Elevation::Unknown, {}, site, 0},
  };
  for (const auto& c : cases) {
    test::FakeMenuHost host;
    MenuCommands commands(host, c.elevation);
    commands.run(kCommandMoreApps);
    commands.relaunch_elevated();
    EXPECT_EQ(host.addresses, c.addresses) << static_cast<int>(c.elevation);
    EXPECT_EQ(host.desktop_addresses, c.desktop) << static_cast<int>(c.elevation);
    EXPECT_EQ(host.relaunches, c.relaunches) << static_cast<int>(c.elevation);
  }
}

// Rights that came without a prompt are raised too: a service account whatever its token's
// type, and an elevated token of type Default (UAC off).
TEST(Elevation, TokenFactsTellARaisedCopy) {
  using S = TokenSplit;
  const std::string_view user = "S-1-5-21-1-2-3-1001";
  const struct {
    TokenFacts token;
    Elevation elevation;
  } cases[] = {
      {{S::Limited, false, user}, Elevation::Limited},
      {{S::Default, false, user}, Elevation::Default},
      {{S::Full, true, user}, Elevation::Full},
      {{S::Default, true, user}, Elevation::Unsplit},
      {{S::Default, true, "S-1-5-18"}, Elevation::Unsplit},
      {{S::Default, false, "S-1-5-19"}, Elevation::Unsplit},
      {{S::Limited, false, "S-1-5-20"}, Elevation::Unsplit},
      {{std::nullopt, std::nullopt, "S-1-5-18"}, Elevation::Unsplit},
      {{S::Default, false, "S-1-5-21"}, Elevation::Default},
      {{S::Default, std::nullopt, user}, Elevation::Unknown},
      {{std::nullopt, false, user}, Elevation::Unknown},
      {{S::Limited, false, std::nullopt}, Elevation::Unknown},
  };
  int row = 0;
  for (const auto& c : cases) {
    EXPECT_EQ(elevation_of(c.token), c.elevation) << "row " << row;
    EXPECT_EQ(runs_raised(elevation_of(c.token)),
              c.elevation != Elevation::Limited && c.elevation != Elevation::Default)
        << "row " << row++;
  }
}

TEST_F(MenuCommandsTest, WebsiteFollowsTheInterfaceLanguage) {
  const ScopedLanguageOverride japanese("ja");
  menu.run(kCommandMoreApps);
  EXPECT_EQ(menu_host.addresses, std::vector<std::string>{"https://lumwerk.example/ja/"});
}

}  // namespace
}  // namespace kestro::app

// Hit-testing, scrolling, keys and the toast's life, on a claimed state.

#include <gtest/gtest.h>

#include <cmath>

#include "app/window/window_controller.h"
#include "i18n/translate.h"
#include "layout_points.h"
#include "window_fakes.h"

namespace kestro::app {
namespace {

using namespace std::chrono_literals;
using test::FakeWindowHost;
using test::bottom, test::middle, test::Point;

Section section(const char* title, SectionKind kind, int rows) {
  Section s{title, {}, kind};
  for (int i = 0; i < rows; ++i) s.rows.push_back(Row::plain("Label", "Value"));
  return s;
}

Report three_cards(bool needs_admin = false) {
  return Report{"This PC", "", {section("Summary", SectionKind::Summary, 5),
                                section("Processor", SectionKind::Processor, 4),
                                section("Memory", SectionKind::Memory, 3)},
                needs_admin};
}

TEST(HitTest, ButtonsBandAndRows) {
  ScopedLanguageOverride english("en");
  test::WindowLayout layout(three_cards(true), {1080, 600});  // and its measurer for hit_test
  const gfx::RectF menu = layout.button(HitKind::Menu), row = layout.row(0, 0), right = layout.row(2, 0);
  const float band = layout.toolbar, x = row.x + 8, mid = middle(row).y, next = bottom(row);
  const float straddling = row.y - band + 10;  // row 0 reaches 10 px under the toolbar band
  const Point admin = layout.at(HitKind::ViewAsAdmin);
  struct Case {
    const char* name;
    bool has_report, needs_admin, has_measurer;
    float scroll;
    Point at;
    HitTarget expected;
  };
  const Case cases[] = {
      {"menu", true, false, true, 0, middle(menu), {HitKind::Menu}},
      {"menu's left edge is inside", true, false, true, 0, {menu.x, menu.y}, {HitKind::Menu}},
      {"menu's right edge is outside", true, false, true, 0, {menu.x + menu.width, menu.y}, {}},
      {"refresh", true, false, true, 0, layout.at(HitKind::Refresh), {HitKind::Refresh}},
      {"gap between buttons", true, false, true, 0, {menu.x - 1, menu.y}, {}},
      {"copy all", true, false, true, 0, layout.at(HitKind::CopyAll), {HitKind::CopyAll}},
      {"view as administrator", true, true, true, 0, admin, {HitKind::ViewAsAdmin}},
      {"no admin button without the need", true, false, true, 0, admin, {}},
      {"no buttons without a device", true, false, false, 0, middle(menu), {}},
      {"loading still has menu", false, false, true, 0, middle(menu), {HitKind::Menu}},
      {"loading has no copy all", false, false, true, 0, layout.at(HitKind::CopyAll), {}},
      {"loading has no rows", false, false, true, 0, {x, mid}, {}},
      {"label half of a row", true, false, true, 0, {x, mid}, HitTarget::value(0, 0)},
      {"value half of the same row", true, false, true, 0, {row.x + row.width / 2, next - 1},
       HitTarget::value(0, 0)},
      {"row bottom belongs to the next row", true, false, true, 0, {x, next}, HitTarget::value(0, 1)},
      {"row right edge is outside", true, false, true, 0, {row.x + row.width, mid}, {}},
      {"card heading", true, false, true, 0, layout.heading(0), {}},
      {"left column", true, false, true, 0, layout.at(1, 0), HitTarget::value(1, 0)},
      {"right column", true, false, true, 0, layout.at(2, 0), HitTarget::value(2, 0)},
      {"gap between columns", true, false, true, 0, {right.x - 8, right.y + 10}, {}},
      {"scrolled content", true, false, true, 200, {x, next + 10 - 200}, HitTarget::value(0, 1)},
      {"row under the toolbar band", true, false, true, straddling, {x, band - 1}, {}},
      {"row just below the band", true, false, true, straddling, {x, band}, HitTarget::value(0, 0)},
  };
  for (const Case& c : cases) {
    AppState state;
    if (c.has_report) state.report = three_cards(c.needs_admin);
    state.scroll = c.scroll;
    const HitTarget hit =
        hit_test(state, {1080, 600}, c.has_measurer ? &layout.measurer : nullptr, c.at.x, c.at.y);
    EXPECT_EQ(hit.kind, c.expected.kind) << c.name;
    EXPECT_EQ(hit, c.expected) << c.name;
  }
}

TEST(HitTargetEquality, IndexesCountOnlyForValues) {
  EXPECT_EQ((HitTarget{HitKind::Menu, 1, 2}), (HitTarget{HitKind::Menu, 3, 4}));
  EXPECT_NE(HitTarget::value(0, 1), HitTarget::value(1, 0));
  EXPECT_NE(HitTarget::value(0, 0), HitTarget{});
  EXPECT_EQ(HitTarget::value(7, 9), HitTarget::value(7, 9));
}

// A report tall enough to scroll: 60 rows in one card.
Report tall_report() {
  return Report{"T", "", {section("Summary", SectionKind::Summary, 60)}, false};
}

TEST(Scrolling, WheelAndKeys) {
  struct Case {
    const char* name;
    std::uint32_t dpi;
    float start;
    int wheel;             // used when key == 0
    std::uint32_t key;
    float expected;
  };
  const Report tall = tall_report();
  const float end = max_scroll(layout_cards({1080, 600}, 1, &tall), {1080, 600});  // at 96 DPI
  const Case cases[] = {
      {"one notch down at 144 DPI", 144, 0, -120, 0, 180},
      {"one notch up at 96 DPI", 96, 500, 120, 0, 380},
      {"wheel up at the top stays at 0", 96, 0, 120, 0, 0},
      {"half a notch scrolls half as far", 96, 0, -60, 0, 60},
      {"wheel past the bottom", 96, end - 50, -240, 0, end},
      {"page down is 0.8 of the client height", 96, 0, 0, kVkNext, 480},
      {"page up", 96, 1000, 0, kVkPrior, 520},
      {"end goes to the bottom", 96, 10, 0, kVkEnd, end},
      {"home goes to the top", 96, end, 0, kVkHome, 0},
      {"down arrow", 144, 0, 0, kVkDown, 90},
      {"up arrow at the top", 96, 0, 0, kVkUp, 0},
  };
  for (const Case& c : cases) {
    FakeWindowHost host;
    host.client = {1080, 600};
    AppState state;
    state.report = tall;
    state.dpi = c.dpi;
    state.scroll = c.start;
    if (c.key == 0) on_wheel(state, host, c.wheel);
    else on_key(state, host, c.key, false);
    EXPECT_FLOAT_EQ(state.scroll, c.expected) << c.name;
    EXPECT_EQ(host.invalidations, 1) << c.name << ": every scroll repaints";
  }
}

TEST(Scrolling, OtherKeysDoNothing) {
  FakeWindowHost host;
  AppState state;
  state.report = tall_report();
  state.scroll = 100;
  for (std::uint32_t key : {0x25u, 0x27u, 0x41u, kVkC}) on_key(state, host, key, false);
  EXPECT_FLOAT_EQ(state.scroll, 100);
  EXPECT_EQ(host.invalidations, 0);
  EXPECT_EQ(host.clipboard_attempts, 0);
}

TEST(Scrolling, ClampAfterResizeOrNewReport) {
  FakeWindowHost host;
  host.client = {1080, 600};
  AppState state;
  state.report = tall_report();
  state.scroll = max_scroll(layout_cards(host.client, 1, &*state.report), host.client);  // the bottom
  host.client = {1080, 2000};  // taller window: less to scroll
  on_size(state, host);
  EXPECT_FLOAT_EQ(state.scroll, max_scroll(layout_cards(host.client, 1, &*state.report), host.client));
  state.scroll = std::nanf("");
  on_size(state, host);
  EXPECT_FLOAT_EQ(state.scroll, 0);
  state.scroll = -5;
  on_size(state, host);
  EXPECT_FLOAT_EQ(state.scroll, 0);
}

TEST(Toast, ExpiresAtTwoPointFourSeconds) {
  struct Case {
    std::chrono::nanoseconds age;
    bool cleared;
  };
  const Case cases[] = {{0ns, false},
                        {2s + 399'999'999ns, false},
                        {2s + 400'000'000ns, true},
                        {2500ms, true},
                        {3s, true},
                        {-1s, false}};
  for (const Case& c : cases) {
    FakeWindowHost host;
    AppState state;
    show_toast(state, host, "hello");
    EXPECT_EQ(host.timers.at(kTimerToast), 2500u);
    host.invalidations = 0;
    host.advance(c.age);
    on_toast_timer(state, host);
    EXPECT_EQ(!state.toast.has_value(), c.cleared) << c.age.count();
    EXPECT_EQ(host.invalidations, c.cleared ? 1 : 0) << c.age.count();
  }
}

TEST(Toast, NewerToastReplacesAndGetsItsOwnTime) {
  FakeWindowHost host;
  AppState state;
  show_toast(state, host, "first");
  host.advance(1s);
  show_toast(state, host, "second");
  EXPECT_EQ(state.toast, "second");
  host.advance(1500ms);  // 2.5 s after the first toast, 1.5 s after the second
  on_toast_timer(state, host);
  EXPECT_EQ(state.toast, "second");
  host.advance(1s);
  on_toast_timer(state, host);
  EXPECT_FALSE(state.toast.has_value());
  on_toast_timer(state, host);  // a tick without a toast does nothing
  EXPECT_FALSE(state.toast.has_value());
}

TEST(Hover, MouseMoveAndLeave) {
  FakeWindowHost host;
  AppState state;
  state.report = three_cards();
  const test::WindowLayout layout(*state.report);
  const Point row = layout.at(0, 0), next = layout.at(0, 1);
  on_mouse_move(state, host, row.x, row.y);
  EXPECT_EQ(state.hover, HitTarget::value(0, 0));
  EXPECT_TRUE(state.mouse_tracked);
  EXPECT_EQ(host.leave_requests, 1);
  EXPECT_EQ(host.invalidations, 1);
  on_mouse_move(state, host, row.x + 40, row.y + 4);  // same row: no repaint, no second request
  EXPECT_EQ(host.leave_requests, 1);
  EXPECT_EQ(host.invalidations, 1);
  on_mouse_move(state, host, next.x, next.y);
  EXPECT_EQ(state.hover, HitTarget::value(0, 1));
  EXPECT_EQ(host.invalidations, 2);
  on_mouse_leave(state, host);
  EXPECT_EQ(state.hover, HitTarget{});
  EXPECT_FALSE(state.mouse_tracked);
  EXPECT_EQ(host.invalidations, 3);
  on_mouse_leave(state, host);  // nothing hovered: no repaint
  EXPECT_EQ(host.invalidations, 3);
  on_mouse_move(state, host, row.x, row.y);  // tracking is asked for again after a leave
  EXPECT_EQ(host.leave_requests, 2);
}

}  // namespace
}  // namespace kestro::app

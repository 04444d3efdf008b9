// The window's message handling through its state slot: probe runs, clicks, copying, timers,
// and the back-off when the state is empty or already in use.

#include "app/window/window_controller.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "app/view/text_report.h"
#include "host/sample_reports.h"
#include "i18n/translate.h"
#include "layout_points.h"
#include "window_fakes.h"

namespace kestro::app {
namespace {

using namespace std::chrono_literals;
using test::FakeWindowHost;
using test::storage_report;

class WindowControllerTest : public ::testing::Test, public test::ControllerFixture {
 protected:
  void loaded() { load(storage_report()); }
  void click(test::Point p) { ControllerFixture::click(p.x, p.y); }
  const test::WindowLayout layout{storage_report()};
  const test::Point summary_row = layout.at(0, 0), menu_button = layout.at(HitKind::Menu);
};

TEST_F(WindowControllerTest, StartEntersLoading) {
  controller.start();
  EXPECT_TRUE(state().loading_since.has_value());
  EXPECT_EQ(*state().loading_since, host.clock);
  EXPECT_EQ(host.probes_started, 1);
  EXPECT_EQ(host.timers.at(kTimerLoading), 120u);
  EXPECT_EQ(host.invalidations, 1);
  EXPECT_TRUE(controller.on_timer(kTimerLoading));
  EXPECT_EQ(host.invalidations, 2);
}

TEST_F(WindowControllerTest, ProbeThreadThatCannotStartLeavesF5ToTryAgain) {
  host.threads_start = false;
  controller.start();
  EXPECT_FALSE(state().loading_since.has_value());
  EXPECT_FALSE(host.timers.count(kTimerLoading));
  EXPECT_EQ(host.invalidations, 1);  // the loading screen without an animation

  host.threads_start = true;
  controller.on_key(kVkF5, false);
  EXPECT_EQ(host.probes_started, 1);
  EXPECT_TRUE(state().loading_since.has_value());
  EXPECT_EQ(host.timers.at(kTimerLoading), 120u);
}

TEST_F(WindowControllerTest, ProbeDoneWithEmptySlotKeepsLoading) {
  controller.start();
  host.invalidations = 0;
  controller.on_probe_done();
  EXPECT_TRUE(state().loading_since.has_value());
  EXPECT_FALSE(state().report.has_value());
  EXPECT_EQ(host.timers.count(kTimerLoading), 1u);
  EXPECT_TRUE(host.killed.empty());
  EXPECT_EQ(host.invalidations, 0);
}

TEST_F(WindowControllerTest, ProbeDoneEndsLoadingAndClampsScroll) {
  controller.start();
  state().scroll = 5000;
  probes.put({storage_report()});
  controller.on_probe_done();
  EXPECT_TRUE(state().report.has_value());
  EXPECT_FALSE(state().loading_since.has_value());
  EXPECT_EQ(host.timers.count(kTimerLoading), 0u);
  EXPECT_FLOAT_EQ(state().scroll, 0);  // the report fits the window
  EXPECT_FALSE(probes.take().has_value());
}

// A run that cannot tell the window (its message was lost, or it ended without an outcome)
// ends the loading state at the next tick, so the window never loads for good.
TEST_F(WindowControllerTest, LoadingTickEndsARunWhoseMessageNeverCame) {
  for (const bool with_report : {true, false}) {
    slot.claim()->report.reset();
    controller.start();
    if (with_report) {
      probes.put({storage_report()});
    } else {
      probes.forget();
    }
    EXPECT_TRUE(controller.on_timer(kTimerLoading));
    EXPECT_EQ(state().report.has_value(), with_report);
    EXPECT_FALSE(state().loading_since.has_value());
    EXPECT_EQ(host.timers.count(kTimerLoading), 0u);
  }
}

TEST_F(WindowControllerTest, ProbeDoneWhileStateIsBorrowedIsTakenOnRelease) {
  controller.start();
  probes.put({storage_report()});
  {
    auto borrowed = slot.claim();  // a modal loop holding the state
    controller.on_probe_done();
    EXPECT_FALSE(borrowed->report.has_value());
  }
  EXPECT_TRUE(state().report.has_value());
  EXPECT_FALSE(state().loading_since.has_value());
  EXPECT_FALSE(probes.take().has_value());
}

TEST_F(WindowControllerTest, ProbeRunThatBrokeOffEndsLoadingSoF5CanRetry) {
  controller.start();
  probes.put({});
  controller.on_probe_done();
  EXPECT_FALSE(state().report.has_value());
  EXPECT_FALSE(state().loading_since.has_value());
  EXPECT_EQ(host.timers.count(kTimerLoading), 0u);
  controller.on_key(kVkF5, false);
  EXPECT_EQ(host.probes_started, 2);
}

TEST_F(WindowControllerTest, RefreshStartsOneProbeAtATime) {
  controller.start();
  controller.on_key(kVkF5, false);
  controller.on_key(kVkF5, false);
  EXPECT_EQ(host.probes_started, 1);  // F5 while loading does nothing

  loaded();
  state().scroll = 30;
  controller.on_key(kVkF5, false);
  controller.on_key(kVkF5, false);
  EXPECT_EQ(host.probes_started, 1);
  EXPECT_FALSE(state().report.has_value());  // the loading screen shows at once
  EXPECT_FLOAT_EQ(state().scroll, 30);       // kept until the new report clamps it
}

TEST_F(WindowControllerTest, CopyShortcutNeedsAReport) {
  controller.start();
  controller.on_key(kVkC, true);
  EXPECT_EQ(host.clipboard_attempts, 0);
  EXPECT_FALSE(state().toast.has_value());

  loaded();
  controller.on_key(kVkC, false);  // C alone is not the shortcut
  EXPECT_EQ(host.clipboard_attempts, 0);
  controller.on_key(kVkC, true);
  ASSERT_EQ(host.clipboard_writes.size(), 1u);
  EXPECT_EQ(host.clipboard_writes[0], plain_text_report(storage_report()));
  EXPECT_EQ(state().toast, "Copied everything. Paste it anywhere.");
  EXPECT_EQ(host.timers.at(kTimerToast), 2500u);
}

TEST_F(WindowControllerTest, ReleasedClicksAct) {
  struct Case {
    const char* name;
    test::Point at;
    std::string clipboard;  // empty: nothing copied
    std::optional<std::string> toast;
    int menus, relaunches, probes;
  };
  const Case cases[] = {
      {"status row copies its badge", layout.at(1, 1), "Health: Healthy", "Copied: Health: Healthy", 0, 0, 0},
      {"value half of a row", layout.at(1, 0), "Disk: Samsung 990", "Copied: Disk: Samsung 990", 0, 0, 0},
      {"menu button", menu_button, "", std::nullopt, 1, 0, 0},
      {"refresh button", layout.at(HitKind::Refresh), "", std::nullopt, 0, 0, 1},
      {"view as administrator", layout.at(HitKind::ViewAsAdmin), "", std::nullopt, 0, 1, 0},
      {"card heading", layout.heading(1), "", std::nullopt, 0, 0, 0},
  };
  for (const Case& c : cases) {
    loaded();
    controller.on_mouse_move(summary_row.x, summary_row.y);
    click(c.at);
    EXPECT_EQ(host.clipboard_writes.empty() ? "" : host.clipboard_writes[0], c.clipboard) << c.name;
    EXPECT_EQ(state().toast, c.toast) << c.name;
    EXPECT_EQ(static_cast<int>(menu_host.menus.size()), c.menus) << c.name;
    if (c.menus == 1) EXPECT_EQ(menu_host.menus[0], std::make_pair(c.at.x, c.at.y));
    EXPECT_EQ(menu_host.relaunches, c.relaunches) << c.name;
    EXPECT_EQ(host.probes_started, c.probes) << c.name;
    EXPECT_FALSE(slot.in_use()) << c.name;
    state().toast.reset();
  }
}

TEST_F(WindowControllerTest, ModalActionsRunWithTheStateReleased) {
  loaded();
  int dispatched = 0;
  menu_host.during_modal = [&] {
    // Messages dispatched by the menu's or the prompt's own loop reach the state.
    EXPECT_FALSE(slot.in_use());
    controller.on_mouse_move(summary_row.x, summary_row.y);
    controller.show_toast("Takes effect the next time Kestro opens");
    ++dispatched;
  };
  click(menu_button);
  click(layout.at(HitKind::ViewAsAdmin));
  EXPECT_EQ(dispatched, 2);
  EXPECT_EQ(state().hover, HitTarget::value(0, 0));
  EXPECT_EQ(state().toast, "Takes effect the next time Kestro opens");
}

TEST_F(WindowControllerTest, CopyButtonClaimsTheStateAgain) {
  loaded();
  click(layout.at(HitKind::CopyAll));
  ASSERT_EQ(host.clipboard_writes.size(), 1u);
  EXPECT_EQ(state().toast, "Copied everything. Paste it anywhere.");
}

TEST_F(WindowControllerTest, FailedClipboardShowsNoToast) {
  loaded();
  host.clipboard_works = false;
  click(layout.at(1, 1));
  controller.copy_all();
  EXPECT_EQ(host.clipboard_attempts, 2);
  EXPECT_FALSE(state().toast.has_value());
  EXPECT_EQ(host.timers.count(kTimerToast), 0u);
}

TEST_F(WindowControllerTest, StaleOrBusyCopyDoesNothing) {
  struct Case {
    std::uint64_t section, row;
  };
  loaded();
  for (const Case& c : {Case{2, 0}, Case{0, 1}, Case{1, 2}, Case{~0ull, ~0ull}}) {
    controller.copy_value(c.section, c.row);
  }
  EXPECT_EQ(host.clipboard_attempts, 0);
  {
    auto busy = slot.claim();
    controller.copy_value(0, 0);  // a valid row, but the state is borrowed
  }
  EXPECT_EQ(host.clipboard_attempts, 0);
  controller.copy_value(0, 0);
  EXPECT_EQ(host.clipboard_attempts, 1);

  controller.refresh();  // no report while the new probe runs
  controller.copy_value(0, 0);
  EXPECT_EQ(host.clipboard_attempts, 1);
}

TEST_F(WindowControllerTest, ToastTimerIsOneShotEvenWhenTheStateIsBusy) {
  controller.show_toast("hello");
  host.advance(2500ms);
  {
    auto busy = slot.claim();
    EXPECT_TRUE(controller.on_timer(kTimerToast));
  }
  EXPECT_EQ(host.killed, std::vector<std::uint32_t>{kTimerToast});
  EXPECT_EQ(state().toast, "hello");  // stays until the next toast
  EXPECT_TRUE(controller.on_timer(kTimerToast));
  EXPECT_FALSE(state().toast.has_value());
  EXPECT_FALSE(controller.on_timer(7));  // not ours: passed on
}

TEST_F(WindowControllerTest, ThemeChangeRepaintsOnlyWhenItChanges) {
  EXPECT_FALSE(controller.on_theme(false));
  EXPECT_EQ(host.invalidations, 0);
  EXPECT_TRUE(controller.on_theme(true));
  EXPECT_TRUE(state().dark);
  EXPECT_EQ(host.invalidations, 1);
  EXPECT_FALSE(controller.on_theme(true));
}

TEST_F(WindowControllerTest, DpiChangeScalesEverything) {
  // The scale handed to the text formats is the one every box uses, also below 96 DPI.
  EXPECT_EQ(controller.on_dpi_changed(144), std::optional<float>(1.5f));
  EXPECT_FLOAT_EQ(state().scale(), 1.5f);
  EXPECT_EQ(controller.on_dpi_changed(72), std::optional<float>(1.0f));
  EXPECT_EQ(state().dpi, 72u);  // stored raw; only the scale is floored
  EXPECT_FLOAT_EQ(state().scale(), 1.0f);
  EXPECT_EQ(controller.on_dpi_changed(0), std::optional<float>(1.0f));

  auto busy = slot.claim();
  EXPECT_EQ(controller.on_dpi_changed(120), std::nullopt);  // formats stay as they are
  busy.release();
  EXPECT_EQ(state().dpi, 0u);
}

TEST(StateSlot, ClaimsBackOffWhenEmptyOrInUse) {
  StateSlot<int> slot;
  EXPECT_EQ(slot.claim().failure(), StateSlot<int>::Failure::Empty);
  slot.put(std::make_unique<int>(7));
  {
    auto first = slot.claim();
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, 7);
    auto second = slot.claim();
    EXPECT_FALSE(second);
    EXPECT_EQ(second.failure(), StateSlot<int>::Failure::InUse);
    first.release();
    EXPECT_TRUE(slot.claim());
  }
  EXPECT_FALSE(slot.in_use());
  auto taken = slot.take();
  ASSERT_TRUE(taken);
  EXPECT_EQ(slot.claim().failure(), StateSlot<int>::Failure::Empty);
}

TEST(StateSlot, TakingWhileInUseDropsOnRelease) {
  StateSlot<int> slot;
  slot.put(std::make_unique<int>(1));
  {
    auto held = slot.claim();
    EXPECT_EQ(slot.take(), nullptr);
    EXPECT_TRUE(slot.empty());
    EXPECT_EQ(*held, 1);  // the holder keeps a valid state until it lets go
  }
  EXPECT_EQ(slot.claim().failure(), StateSlot<int>::Failure::Empty);
}

// The text formats and the drawing device are made apart: a frame is painted only with both,
// and without either the window still copies the row under a click.
TEST_F(WindowControllerTest, PaintsOnlyWithTextAndDevice) {
  for (const auto [has_text, has_device] : {std::pair{true, true}, {true, false}, {false, true}}) {
    loaded();
    host.has_text = has_text;
    host.has_device = has_device;
    controller.on_paint();
    const bool drew = has_text && has_device;
    EXPECT_EQ(host.canvas.calls.empty(), !drew) << has_text << has_device;
    EXPECT_EQ(host.frames_shown, drew ? 1 : 0) << has_text << has_device;
    click(summary_row);
    EXPECT_EQ(host.clipboard_writes.size(), 1u) << has_text << has_device;
  }
}

// A lost drawing device is replaced by whichever call finds the loss, also a resize that
// comes before the next frame, and the repaint asked for then outlives the paint that found
// it: the window draws again with the new device.
TEST_F(WindowControllerTest, ALostDeviceIsReplacedWhicheverCallFindsIt) {
  const struct {
    const char* found_by;
    bool resized, in_frame;
    int paints;  // until a frame is shown
  } cases[] = {{"resize", true, false, 1}, {"begin", false, false, 2}, {"end", false, true, 2}};
  for (const auto& c : cases) {
    loaded();
    controller.on_paint();
    host.lose_device(c.in_frame);
    host.invalidate();
    if (c.resized) {
      host.client = {900, 700};
      controller.on_size();
    }
    for (int paint = 0; paint < c.paints; ++paint) {
      ASSERT_TRUE(host.repaint_due) << c.found_by << " paint " << paint;
      controller.on_paint();
    }
    EXPECT_EQ(host.frame_devices, (std::vector<int>{1, 2})) << c.found_by;
    EXPECT_FALSE(host.repaint_due) << c.found_by;
  }
}

TEST_F(WindowControllerTest, MessagesWithoutStateDoNothing) {
  slot.take();
  controller.start();
  controller.on_mouse_move(10, 10);
  controller.on_left_button_up(menu_button.x, menu_button.y);
  controller.on_key(kVkF5, false);
  controller.on_wheel(-120);
  controller.on_paint();
  EXPECT_TRUE(controller.on_timer(kTimerToast));
  EXPECT_EQ(host.probes_started, 0);
  EXPECT_EQ(host.frames_shown, 0);
  EXPECT_EQ(host.invalidations, 0);
  EXPECT_TRUE(menu_host.menus.empty());
  EXPECT_EQ(host.leave_requests, 0);
}

}  // namespace
}  // namespace kestro::app

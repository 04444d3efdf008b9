// The window's reactions to update checks and downloads, wired to the window controller as the
// window wires them, and the automatic check at start-up.

#include <gtest/gtest.h>

#include <memory>

#include "app/settings/settings.h"
#include "app/updater/download.h"
#include "app/updater/reactions.h"
#include "app/window/startup_update_check.h"
#include "app/window/window_controller.h"
#include "base/version.h"
#include "fake_updater_platform.h"
#include "i18n/translate.h"
#include "window_fakes.h"

namespace kestro::updater {
namespace {

using test::FakeUpdaterPlatform;
using test::kDigest;
using test::kInstaller;
using Calls = std::vector<std::string>;

// The window side of updating, recorded; toasts also go to `show_toast` when it is set (the
// window controller, as in the real window).
class RecordingUi : public UpdateUi {
 public:
  bool yes = false;
  bool threads_start = true;
  std::optional<std::string> installer_failure;
  FakeUpdaterPlatform* holder = nullptr;  // whose held file must still be open at the start
  std::function<void()> during_question;  // re-entrant dispatch of the message box's loop
  std::function<void(std::string)> show_toast;
  // The slots a started thread is due to put its outcome into, as a real one is.
  UpdateCheckSlot* checks = nullptr;
  DownloadSlot* downloads = nullptr;
  Calls log;

  void toast(std::string text) override {
    log.push_back("toast " + text);
    if (show_toast) show_toast(std::move(text));
  }
  bool ask(std::string_view text) override {
    log.push_back("ask " + std::string(text));
    if (during_question) during_question();
    return yes;
  }
  bool start_check(bool manual) override {
    log.push_back(manual ? "check manual" : "check automatic");
    if (threads_start && checks) checks->expect();
    return threads_start;
  }
  bool start_download(UpdateInfo info) override {
    log.push_back("download " + info.version);
    if (threads_start && downloads) downloads->expect();
    return threads_start;
  }
  void start_leftover_removal() override { log.push_back("remove leftovers"); }
  std::optional<std::string> start_installer(const InstallerReady&, std::string_view line) override {
    log.push_back("installer " + std::string(line) +
                  (holder != nullptr && holder->held_open == 1 ? " (held)" : ""));
    return installer_failure;
  }
  void discard_installer(const InstallerReady& installer) override {
    log.push_back("discard " + installer.path);
  }
  void close_for_update() override { log.push_back("close"); }
};

class UpdateReactionsTest : public ::testing::Test {
 protected:
  UpdateReactionsTest() {
    ui.checks = &checks;
    ui.downloads = &downloads;
  }
  void deliver(CheckResult result, bool manual) {
    checks.put(CheckDelivery{std::move(result), manual});
    reactions.on_check_done();
  }

  ScopedLanguageOverride english{"en"};
  RecordingUi ui;
  UpdateCheckSlot checks;
  DownloadSlot downloads;
  UpdateReactions reactions{ui, "0.1.0", Elevation::Limited, checks, downloads};
  const UpdateInfo info{"1.2.0", "https://a/b.exe", kDigest, 4};
  const std::string question = "ask A new version is available: 1.2.0\n(current 0.1.0)\n\nUpdate now?";
};

TEST_F(UpdateReactionsTest, CheckOutcomes) {
  struct Case {
    const char* name;
    CheckResult result;
    bool manual, yes, threads_start;
    Calls log;
  };
  const Case cases[] = {
      {"manual up to date", UpToDate{}, true, false, true, {"toast You're up to date (0.1.0)"}},
      {"automatic up to date", UpToDate{}, false, false, true, {}},
      {"manual failure", CheckFailed{"Download failed"}, true, false, true, {"toast Download failed"}},
      {"automatic failure", CheckFailed{"manifest"}, false, false, true, {}},
      {"automatic offer, no", Available{info}, false, false, true, {question}},
      {"manual offer, yes", Available{info}, true, true, true,
       {question, "toast Downloading update…", "download 1.2.0"}},
      {"automatic offer, yes", Available{info}, false, true, true,
       {question, "toast Downloading update…", "download 1.2.0"}},
      {"no download thread", Available{info}, false, true, false,
       {question, "toast Downloading update…", "download 1.2.0", "toast Download failed"}},
  };
  for (const Case& c : cases) {
    ui.log.clear();
    ui.yes = c.yes;
    ui.threads_start = c.threads_start;
    deliver(c.result, c.manual);
    EXPECT_EQ(ui.log, c.log) << c.name;
    downloads.put(DownloadFailed{"x"});  // ends a download the case started
    reactions.on_download_done();
  }
  ui.log.clear();
  reactions.on_check_done();  // an empty slot: nothing
  reactions.on_download_done();
  EXPECT_TRUE(ui.log.empty());
}

// One check runs at a time, and every manual request is answered: one made while a check runs
// starts when that one is done, and a check whose thread ended without its message getting
// through never blocks the next.
TEST_F(UpdateReactionsTest, EveryManualCheckIsAnswered) {
  const std::string checking = "toast Checking for updates…", current = "toast You're up to date (0.1.0)";
  // Steps: "auto"/"manual" ask for a check; "done auto"/"done manual" deliver a check's outcome
  // with its message; "lost" puts a manual check's outcome whose message never comes; "gone"
  // ends a check thread without any outcome; "lost download" does the same for a download's
  // failure; "offer" delivers a manual check's offer.
  struct Case {
    const char* name;
    std::vector<std::string> steps;
    Calls log;
  };
  const Case cases[] = {
      {"manual during an automatic check", {"auto", "manual", "done auto", "done manual"},
       {"check automatic", checking, "check manual", current}},
      {"manual during a manual check", {"manual", "manual", "done manual", "done manual"},
       {checking, "check manual", checking, "check manual", current, current}},
      {"clicks during one check share the next", {"manual", "manual", "manual", "done manual", "done manual"},
       {checking, "check manual", checking, checking, "check manual", current, current}},
      {"its message was lost", {"manual", "lost", "manual", "done manual"},
       {checking, "check manual", current, checking, "check manual", current}},
      {"its thread ended without an outcome", {"manual", "gone", "manual", "done manual"},
       {checking, "check manual", checking, "check manual", current}},
      {"a download's message was lost", {"lost download", "offer"},
       {checking, "check manual", "toast Downloaded size mismatch"}},
  };
  for (const Case& c : cases) {
    ui.log.clear();
    for (const std::string& step : c.steps) {
      if (step == "auto" || step == "manual") reactions.start_check(step == "manual");
      if (step.starts_with("done")) deliver(UpToDate{}, step == "done manual");
      if (step == "lost") checks.put(CheckDelivery{UpToDate{}, true});
      if (step == "gone") checks.forget();
      if (step == "lost download") {
        downloads.expect();
        downloads.put(DownloadFailed{"Downloaded size mismatch"});
      }
      if (step == "offer") {
        reactions.start_check(true);
        deliver(Available{info}, true);
      }
    }
    EXPECT_EQ(ui.log, c.log) << c.name;
    EXPECT_FALSE(checks.awaited() || downloads.awaited()) << c.name;
  }
}

TEST_F(UpdateReactionsTest, OneQuestionAndOneDownloadAtATime) {
  // Whatever arrives while the question is open, a later offer opens no second one.
  ui.during_question = [&] {
    ui.during_question = nullptr;
    deliver(Available{UpdateInfo{"2.0", "https://a/c.exe", "cd", 0}}, true);
    deliver(CheckFailed{"Download failed"}, true);
    deliver(UpToDate{}, true);
    deliver(Available{UpdateInfo{"3.0", "https://a/d.exe", "ef", 0}}, false);
  };
  ui.yes = true;
  deliver(Available{info}, false);
  EXPECT_EQ(ui.log, (Calls{question, "toast Download failed", "toast You're up to date (0.1.0)",
                           "toast Downloading update…", "download 1.2.0"}));
  // While it downloads, offers ask nothing; a manual check hears that it is downloading.
  ui.log.clear();
  deliver(Available{info}, false);
  deliver(Available{info}, true);
  EXPECT_EQ(ui.log, Calls{"toast Downloading update…"});
  downloads.put(DownloadFailed{"Downloaded size mismatch"});
  reactions.on_download_done();
  ui.log.clear();
  ui.yes = false;
  deliver(Available{info}, false);  // asked again once the download is over
  EXPECT_EQ(ui.log, Calls{question});
}

TEST_F(UpdateReactionsTest, DownloadOutcomes) {
  const std::string line =
      "installer \"C:\\T\\Kestro\\Kestro-Setup-1.2.0.exe\" /SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1";
  const std::string denied = "The requested operation requires elevation. (os error 740)";
  struct Case {
    std::optional<std::string> failure;
    Calls log;
  };
  const Case cases[] = {
      {std::nullopt, {line + " (held)", "close"}},
      // It does not start: it is let go, deleted, and the user told why; the window stays.
      {denied, {line + " (held)", std::string("discard ") + kInstaller, "toast " + denied}},
  };
  for (const Case& c : cases) {
    FakeUpdaterPlatform platform;
    ui.log.clear();
    ui.holder = &platform;
    ui.installer_failure = c.failure;
    downloads.put(InstallerReady{kInstaller, std::make_unique<FakeUpdaterPlatform::Held>(platform, kInstaller)});
    reactions.on_download_done();
    EXPECT_EQ(ui.log, c.log);
    EXPECT_EQ(platform.held_open, 0);  // let go once the installer was started (or not)
  }
  ui.log.clear();
  downloads.put(DownloadFailed{"Downloaded size mismatch"});
  reactions.on_download_done();
  EXPECT_EQ(ui.log, Calls{"toast Downloaded size mismatch"});
}

}  // namespace
}  // namespace kestro::updater

// ---- Against the window controller ----------------------------------------------------------

namespace kestro::app {
namespace {

// The reactions as the window wires them: toasts through the controller's state slot.
class UpdateControllerTest : public ::testing::Test, public test::ControllerFixture {
 protected:
  UpdateControllerTest() {
    ui.show_toast = [this](std::string text) { controller.show_toast(std::move(text)); };
    ui.checks = &checks;
    ui.downloads = &downloads;
  }

  std::optional<std::string> toast() { return state().toast; }
  void deliver(updater::CheckResult result, bool manual) {
    checks.put(updater::CheckDelivery{std::move(result), manual});
    reactions.on_check_done();
  }

  updater::RecordingUi ui;
  updater::UpdateCheckSlot checks;
  updater::DownloadSlot downloads;
  updater::UpdateReactions reactions{ui, kVersion, updater::Elevation::Limited, checks, downloads};
  const updater::UpdateInfo info{"1.2.0", "https://a/b.exe", "ab", 4};
};

// One check runs at a time: one asked for meanwhile starts when it is done, if a user asked.
TEST_F(UpdateControllerTest, ManualCheckTellsTheUserFirstAndChecksRunOneAtATime) {
  reactions.start_check(true);
  EXPECT_EQ(toast(), "Checking for updates…");
  EXPECT_EQ(host.timers.at(kTimerToast), 2500u);
  reactions.start_check(false);
  reactions.start_check(true);
  deliver(updater::CheckFailed{"Download failed"}, false);
  deliver(updater::UpToDate{}, true);
  EXPECT_EQ(ui.log, (std::vector<std::string>{"toast Checking for updates…", "check manual",
                                              "toast Checking for updates…", "check manual",
                                              "toast You're up to date (" + std::string(kVersion) + ")"}));
}

TEST_F(UpdateControllerTest, NoToastWhileTheStateIsLentOut) {
  {
    auto borrowed = slot.claim();  // a modal loop holds the state
    reactions.start_check(true);
    deliver(updater::UpToDate{}, true);
  }
  EXPECT_FALSE(toast());
  EXPECT_EQ(ui.log[1], "check manual");  // the check still starts
  EXPECT_FALSE(checks.take());           // and its result was taken
}

TEST_F(UpdateControllerTest, ManualCheckWithoutAThreadSaysItFailed) {
  ui.threads_start = false;
  reactions.start_check(true);
  EXPECT_EQ(toast(), "Download failed");
  slot.claim()->toast.reset();
  reactions.start_check(false);
  EXPECT_FALSE(toast());  // the automatic check says nothing
}

TEST_F(UpdateControllerTest, QuestionRunsWithTheStateFree) {
  bool claimed_inside = false;
  ui.during_question = [&] { claimed_inside = static_cast<bool>(slot.claim()); };
  ui.yes = true;
  deliver(updater::Available{info}, false);
  EXPECT_TRUE(claimed_inside);
  EXPECT_EQ(toast(), "Downloading update…");
}

TEST_F(UpdateControllerTest, MenuCommandStartsAManualCheck) {
  menu.run(kCommandCheckForUpdates);
  EXPECT_EQ(menu_host.update_checks, 1);
}

// ---- Start-up schedule against the settings store ----------------------------------------------

TEST_F(UpdateControllerTest, StartupSchedule) {
  const std::uint64_t now = 1'733'600'000;
  struct Case {
    const char* name;
    std::optional<std::uint32_t> flag;
    std::optional<std::string> last;
    bool starts;
  };
  const Case cases[] = {
      {"nothing stored", {}, {}, true},
      {"on, a day ago", 1, "1733513600", true},
      {"on, an hour ago", 7, "1733596400", false},
      {"plus sign, an hour ago", {}, "+1733596400", false},
      {"100 s in the future", {}, "1733600100", false},
      {"off", 0, {}, false},
      {"abc", {}, "abc", true},
      {"blank before", {}, " 1733596400", true},
      {"overflow", {}, "18446744073709551616", true},
      {"empty", {}, "", true},
  };
  for (const Case& c : cases) {
    test::FakeSettings settings;
    settings.auto_update = c.flag;
    if (c.last) settings.texts["LastUpdateCheck"] = *c.last;
    ui.log.clear();
    EXPECT_EQ(run_startup_update_check(settings, now, reactions), c.starts) << c.name;
    EXPECT_EQ(ui.log, c.starts ? std::vector<std::string>{"check automatic"} : std::vector<std::string>{})
        << c.name;
    EXPECT_EQ(settings.writes, c.starts ? 1 : 0) << c.name;
    if (c.starts) EXPECT_EQ(settings.texts["LastUpdateCheck"], "1733600000") << c.name;
    deliver(updater::UpToDate{}, false);  // the check is over
  }
  EXPECT_FALSE(toast());  // the automatic check says nothing when it starts
}

// A copy raised through UAC (or one whose token cannot be asked) fetches, creates and marks
// nothing; a manual check there says where updates come from.
TEST_F(UpdateControllerTest, OnlyACopyWithTheUsersOwnRightsUpdates) {
  using updater::Elevation;
  const std::string elsewhere = "To update, open Kestro normally (not as administrator)";
  struct Case {
    Elevation elevation;
    std::vector<std::string> log;
    int writes;
    std::string last_toast;
  };
  // The manual check waits for the automatic one to be done.
  const std::vector<std::string> updates = {"check automatic", "remove leftovers",
                                            "toast Checking for updates…"};
  const Case cases[] = {
      {Elevation::Limited, updates, 1, "Checking for updates…"},
      {Elevation::Default, updates, 1, "Checking for updates…"},
      {Elevation::Full, {"toast " + elsewhere}, 0, elsewhere},
      {Elevation::Unsplit, {"toast " + elsewhere}, 0, elsewhere},
      {Elevation::Unknown, {"toast " + elsewhere}, 0, elsewhere},
  };
  for (const Case& c : cases) {
    updater::UpdateCheckSlot own_checks;
    updater::RecordingUi recording;
    recording.show_toast = [this](std::string text) { controller.show_toast(std::move(text)); };
    recording.checks = &own_checks;
    updater::UpdateReactions raised{recording, kVersion, c.elevation, own_checks, downloads};
    test::FakeSettings settings;
    (void)run_startup_update_check(settings, 1'733'600'000, raised);
    raised.remove_leftovers();
    raised.start_check(true);
    EXPECT_EQ(recording.log, c.log) << static_cast<int>(c.elevation);
    EXPECT_EQ(settings.writes, c.writes) << static_cast<int>(c.elevation);
    EXPECT_EQ(toast(), c.last_toast) << static_cast<int>(c.elevation);
  }
}

}  // namespace
}  // namespace kestro::app

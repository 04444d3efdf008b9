// The update check and the download as sequences of platform calls, the window's reactions to
// their outcomes, the controller's message handlers and the start-up schedule.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "app/settings.h"
#include "app/update_flow.h"
#include "app/updater/check.h"
#include "app/updater/download.h"
#include "app/updater/reactions.h"
#include "base/version.h"
#include "fake_updater_platform.h"
#include "fake_window_host.h"
#include "i18n/translate.h"

namespace kestro::updater {
namespace {

using test::FakeUpdaterPlatform;
using Calls = std::vector<std::string>;

constexpr const char* kAddress = "https://lumwerk.example/Kestro/update.json?v=0.1.0&lang=en";
constexpr const char* kManifestFile = "C:\\T\\Kestro\\update.json";
constexpr const char* kDigest = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";

std::string manifest(const char* version) {
  return std::string("{\"version\": \"") + version +
         "\", \"url\": \"https://lumwerk.example/K.exe\", \"sha256\": \"" + kDigest +
         "\", \"size\": 4}";
}

// ---- The check ------------------------------------------------------------------------------

TEST(UpdateCheck, Outcomes) {
  ScopedLanguageOverride english("en");
  const Calls fetched = {"directory", std::string("fetch ") + kAddress + " -> " + kManifestFile};
  const Calls read = [&] { Calls c = fetched; c.push_back(std::string("read ") + kManifestFile); return c; }();
  const Calls deleted = [&] { Calls c = read; c.push_back(std::string("delete ") + kManifestFile); return c; }();
  struct Case {
    const char* name;
    std::optional<std::string> fetch_failure, read_failure;
    std::string served;
    CheckResult result;
    Calls calls;
  };
  const Case cases[] = {
      {"newer", {}, {}, manifest("0.1.1"),
       Available{UpdateInfo{"0.1.1", "https://lumwerk.example/K.exe", kDigest, 4}}, deleted},
      {"same", {}, {}, manifest("0.1.0"), UpToDate{}, deleted},
      {"longer but equal", {}, {}, manifest("0.1.0.0"), UpToDate{}, deleted},
      {"older", {}, {}, manifest("0.0.9"), UpToDate{}, deleted},
      {"curl failed", "Download failed", {}, "", CheckFailed{"Download failed"}, fetched},
      {"unreadable: file stays", {}, "Access is denied. (os error 5)", "",
       CheckFailed{"Access is denied. (os error 5)"}, read},
      {"not UTF-8: file stays", {}, {}, "{\"version\": \"\xC3\x28\"}",
       CheckFailed{"stream did not contain valid UTF-8"}, read},
      {"not JSON", {}, {}, "<html>", CheckFailed{"manifest"}, deleted},
      {"v prefix", {}, {}, manifest("v1.0"), CheckFailed{"manifest"}, deleted},
      {"http", {}, {}, "{\"version\": \"2\", \"url\": \"http://a\", \"sha256\": \"x\"}",
       CheckFailed{"manifest"}, deleted},
  };
  for (const Case& c : cases) {
    FakeUpdaterPlatform platform;
    platform.fetch_failure = c.fetch_failure;
    platform.read_failure = c.read_failure;
    platform.served = c.served;
    EXPECT_EQ(run_update_check(platform, kAddress, "0.1.0"), c.result) << c.name;
    EXPECT_EQ(platform.calls, c.calls) << c.name;
  }
}

TEST(UpdateCheck, NoWorkingDirectoryFailsWithTheSystemText) {
  FakeUpdaterPlatform platform;
  platform.directory.reset();
  EXPECT_EQ(run_update_check(platform, kAddress, "0.1.0"), CheckResult{CheckFailed{"no temp (os error 3)"}});
  EXPECT_EQ(platform.calls, Calls{"directory"});
}

// A platform whose fetch waits until it is let go, to see two checks overlap or not.
class GatedPlatform : public FakeUpdaterPlatform {
 public:
  std::optional<std::string> fetch(std::string_view url, std::string_view destination) override {
    const int now_inside = ++inside;
    int seen = most_inside.load();
    while (now_inside > seen && !most_inside.compare_exchange_weak(seen, now_inside)) {}
    {
      std::unique_lock lock(mutex);
      ++entered;
      changed.notify_all();
      changed.wait(lock, [&] { return open; });
    }
    --inside;
    return FakeUpdaterPlatform::fetch(url, destination);
  }
  void let_go() {
    const std::lock_guard lock(mutex);
    open = true;
    changed.notify_all();
  }
  bool wait_entered(int count) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(5), [&] { return entered >= count; });
  }

  static inline std::atomic<int> inside{0};
  static inline std::atomic<int> most_inside{0};
  std::mutex mutex;
  std::condition_variable changed;
  int entered = 0;
  bool open = false;
};

TEST(UpdateCheck, OverlappingChecksRunOneAfterTheOther) {
  GatedPlatform first, second;
  first.served = second.served = manifest("0.1.0");
  std::thread a([&] { (void)run_update_check(first, kAddress, "0.1.0"); });
  ASSERT_TRUE(first.wait_entered(1));
  std::thread b([&] { (void)run_update_check(second, kAddress, "0.1.0"); });
  // The second check must not reach its fetch while the first one is inside its own; give it
  // the chance to (wrongly) get there.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  {
    const std::lock_guard lock(second.mutex);
    EXPECT_EQ(second.entered, 0);
  }
  second.let_go();
  first.let_go();
  a.join();
  b.join();
  EXPECT_EQ(GatedPlatform::most_inside.load(), 1);
  EXPECT_EQ(first.calls.back(), std::string("delete ") + kManifestFile);
  EXPECT_EQ(second.calls.back(), std::string("delete ") + kManifestFile);
}

// ---- The download ---------------------------------------------------------------------------

constexpr const char* kInstaller = "C:\\T\\Kestro\\Kestro-Setup-1.2.0.exe";

UpdateInfo offered(std::uint64_t size, std::string sha = kDigest) {
  return UpdateInfo{"1.2.0", "https://lumwerk.example/K.exe", std::move(sha), size};
}

TEST(Download, VerificationSequence) {
  ScopedLanguageOverride english("en");
  const std::string fetch = std::string("fetch https://lumwerk.example/K.exe -> ") + kInstaller;
  const std::string hold = std::string("hold ") + kInstaller;
  const std::string release = std::string("release ") + kInstaller;
  const std::string remove = std::string("delete ") + kInstaller;
  const std::string signature = std::string("signature ") + kInstaller;
  struct Case {
    const char* name;
    UpdateInfo info;
    std::string served;
    std::optional<std::string> fetch_failure, read_failure, digest;
    SignatureReading reading;
    std::optional<std::string> failure;  // nothing: ready
    Calls calls;
  };
  const SignatureReading good{0, "Norvale Tech Co., Ltd.", 0};
  const Case cases[] = {
      {"verified", offered(4), "abcd", {}, {}, kDigest, good, {},
       {"directory", fetch, hold, "hash", signature}},
      {"size 0 is not checked", offered(0), "abcdef", {}, {}, kDigest, good, {},
       {"directory", fetch, hold, "hash", signature}},
      {"close failed still accepted", offered(4), "abcd", {}, {}, kDigest, {0, "Norvale Tech Co., Ltd.", -1}, {},
       {"directory", fetch, hold, "hash", signature}},
      {"transfer failed: file left", offered(4), "", "Download failed", {}, kDigest, good,
       "Download failed", {"directory", fetch}},
      {"curl not started: system text", offered(4), "", "The system cannot find the file specified. (os error 2)",
       {}, kDigest, good, "The system cannot find the file specified. (os error 2)", {"directory", fetch}},
      {"unreadable: file left", offered(4), "", {}, "Access is denied. (os error 5)", kDigest, good,
       "Access is denied. (os error 5)", {"directory", fetch, hold}},
      {"one byte short: no digest", offered(1000), std::string(999, 'x'), {}, {}, kDigest, good,
       "Downloaded size mismatch", {"directory", fetch, hold, release, remove}},
      {"digest differs", offered(4), "abcd", {}, {}, std::string(64, '0'), good,
       "Downloaded file is corrupt (hash mismatch)", {"directory", fetch, hold, "hash", release, remove}},
      {"63 digits", offered(4, std::string(kDigest).substr(0, 63)), "abcd", {}, {}, kDigest, good,
       "Downloaded file is corrupt (hash mismatch)", {"directory", fetch, hold, "hash", release, remove}},
      {"digest with spaces", offered(4, std::string(" ") + kDigest + " "), "abcd", {}, {}, kDigest, good,
       "Downloaded file is corrupt (hash mismatch)", {"directory", fetch, hold, "hash", release, remove}},
      {"digest not computed", offered(4), "abcd", {}, {}, std::nullopt, good,
       "Downloaded file is corrupt (hash mismatch)", {"directory", fetch, hold, "hash", release, remove}},
      {"unsigned", offered(4), "abcd", {}, {}, kDigest, {static_cast<std::int32_t>(0x800B0100), {}, 0},
       "The installer's digital signature could not be verified",
       {"directory", fetch, hold, "hash", signature, release, remove}},
      {"untrusted root", offered(4), "abcd", {}, {}, kDigest,
       {static_cast<std::int32_t>(0x800B0109), "Norvale Tech Co., Ltd.", 0},
       "The installer's digital signature could not be verified",
       {"directory", fetch, hold, "hash", signature, release, remove}},
      {"letter case", offered(4), "abcd", {}, {}, kDigest, {0, "NORVALE TECH CO., LTD.", 0},
       "The installer's digital signature could not be verified",
       {"directory", fetch, hold, "hash", signature, release, remove}},
  };
  for (const Case& c : cases) {
    FakeUpdaterPlatform platform;
    platform.served = c.served;
    platform.fetch_failure = c.fetch_failure;
    platform.read_failure = c.read_failure;
    platform.digest = c.digest;
    platform.signature = c.reading;
    DownloadResult result = run_download(platform, c.info);
    if (c.failure) {
      ASSERT_TRUE(std::holds_alternative<DownloadFailed>(result)) << c.name;
      EXPECT_EQ(std::get<DownloadFailed>(result).text, *c.failure) << c.name;
      EXPECT_EQ(platform.held_open, 0) << c.name;
    } else {
      ASSERT_TRUE(std::holds_alternative<InstallerReady>(result)) << c.name;
      const auto& ready = std::get<InstallerReady>(result);
      EXPECT_EQ(ready.path, kInstaller) << c.name;
      EXPECT_TRUE(ready.held) << c.name;
      EXPECT_EQ(platform.held_open, 1) << c.name;  // still held for the installer start
      EXPECT_EQ(platform.hashed, c.served) << c.name;
    }
    EXPECT_EQ(platform.calls, c.calls) << c.name;
  }
}

// ---- The window's reactions -----------------------------------------------------------------

class RecordingUi : public UpdateUi {
 public:
  bool yes = false;
  bool downloads_start = true;
  bool installer_starts = true;
  FakeUpdaterPlatform* holder = nullptr;  // whose held file must still be open at the start
  Calls log;

  void toast(std::string text) override { log.push_back("toast " + text); }
  bool ask(std::string_view text) override {
    log.push_back("ask " + std::string(text));
    return yes;
  }
  bool start_download(UpdateInfo info) override {
    log.push_back("download " + info.version);
    return downloads_start;
  }
  bool start_installer(std::string_view path, std::string_view line) override {
    log.push_back("installer " + std::string(line) +
                  (holder != nullptr && holder->held_open == 1 ? " (held)" : ""));
    (void)path;
    return installer_starts;
  }
  void close_for_update() override { log.push_back("close"); }
};

TEST(Reactions, CheckOutcomes) {
  ScopedLanguageOverride english("en");
  const UpdateInfo info{"1.2.0", "https://a/b.exe", kDigest, 4};
  const std::string question = "ask A new version is available: 1.2.0\n(current 0.1.0)\n\nUpdate now?";
  struct Case {
    const char* name;
    CheckResult result;
    bool manual, yes, downloads_start;
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
    RecordingUi ui;
    ui.yes = c.yes;
    ui.downloads_start = c.downloads_start;
    on_check_result(CheckDelivery{c.result, c.manual}, ui, "0.1.0");
    EXPECT_EQ(ui.log, c.log) << c.name;
  }
}

TEST(Reactions, DownloadOutcomes) {
  const std::string line =
      "installer \"C:\\T\\Kestro\\Kestro-Setup-1.2.0.exe\" /SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1";
  for (const bool starts : {true, false}) {
    FakeUpdaterPlatform platform;
    RecordingUi ui;
    ui.holder = &platform;
    ui.installer_starts = starts;
    on_download_result(InstallerReady{kInstaller, std::make_unique<FakeUpdaterPlatform::Held>(platform, kInstaller)}, ui);
    const Calls expected = starts ? Calls{line + " (held)", "close"} : Calls{line + " (held)"};
    EXPECT_EQ(ui.log, expected);
    EXPECT_EQ(platform.held_open, 0);  // let go once the installer was started (or not)
    EXPECT_EQ(platform.calls, Calls{std::string("release ") + kInstaller});
  }
  RecordingUi ui;
  on_download_result(DownloadFailed{"Downloaded size mismatch"}, ui);
  EXPECT_EQ(ui.log, Calls{"toast Downloaded size mismatch"});
}

}  // namespace
}  // namespace kestro::updater

// ---- The window controller -------------------------------------------------------------------

namespace kestro::app {
namespace {

using test::FakeWindowHost;

class UpdateControllerTest : public ::testing::Test {
 protected:
  UpdateControllerTest() { slot.put(std::make_unique<AppState>()); }

  std::optional<std::string> toast() {
    auto claim = slot.claim();
    return claim->toast;
  }
  void deliver(updater::CheckResult result, bool manual) {
    checks.put(updater::CheckDelivery{std::move(result), manual});
    controller.on_update_check_done();
  }

  ScopedLanguageOverride english{"en"};
  StateSlot<AppState> slot;
  FakeWindowHost host;
  probe::ProbeSlot probes;
  updater::UpdateCheckSlot checks;
  updater::DownloadSlot downloads;
  WindowController controller{slot, host, probes, checks, downloads};
  const updater::UpdateInfo info{"1.2.0", "https://a/b.exe", "ab", 4};
};

TEST_F(UpdateControllerTest, ManualCheckTellsTheUserFirst) {
  controller.start_update_check(true);
  EXPECT_EQ(toast(), "Checking for updates…");
  EXPECT_EQ(host.timers.at(kTimerToast), 2500u);
  controller.start_update_check(false);
  EXPECT_EQ(host.update_checks, (std::vector<bool>{true, false}));
}

TEST_F(UpdateControllerTest, NoToastWhileTheStateIsLentOut) {
  {
    auto borrowed = slot.claim();  // a modal loop holds the state
    controller.start_update_check(true);
    deliver(updater::UpToDate{}, true);
  }
  EXPECT_FALSE(toast());
  EXPECT_EQ(host.update_checks, std::vector<bool>{true});  // the check still starts
  EXPECT_FALSE(checks.take());                              // and its result was taken
}

TEST_F(UpdateControllerTest, ManualCheckWithoutAThreadSaysItFailed) {
  host.threads_start = false;
  controller.start_update_check(true);
  EXPECT_EQ(toast(), "Download failed");
  controller.start_update_check(false);
  EXPECT_EQ(toast(), "Download failed");  // unchanged: the automatic check says nothing
}

TEST_F(UpdateControllerTest, EmptySlotDoesNothing) {
  controller.on_update_check_done();
  controller.on_download_done();
  EXPECT_TRUE(host.questions.empty());
  EXPECT_FALSE(toast());
  EXPECT_EQ(host.invalidations, 0);
}

TEST_F(UpdateControllerTest, QuestionRunsWithTheStateFree) {
  bool claimed_inside = false;
  host.during_question = [&] { claimed_inside = static_cast<bool>(slot.claim()); };
  deliver(updater::Available{info}, false);
  EXPECT_TRUE(claimed_inside);
  EXPECT_EQ(host.questions,
            std::vector<std::string>{"A new version is available: 1.2.0\n(current " +
                                     std::string(kVersion) + ")\n\nUpdate now?"});
  EXPECT_TRUE(host.downloads.empty());  // answered No
  EXPECT_FALSE(toast());
}

TEST_F(UpdateControllerTest, YesDownloads) {
  host.answer_yes = true;
  deliver(updater::Available{info}, false);
  EXPECT_EQ(toast(), "Downloading update…");
  EXPECT_EQ(host.downloads, std::vector<updater::UpdateInfo>{info});
}

TEST_F(UpdateControllerTest, OneQuestionAtATime) {
  int nested = 0;
  host.during_question = [&] {
    if (nested++ > 0) return;
    deliver(updater::Available{updater::UpdateInfo{"2.0", "https://a/c.exe", "cd", 0}}, true);
    deliver(updater::UpToDate{}, true);  // other outcomes still come through
  };
  deliver(updater::Available{info}, false);
  EXPECT_EQ(host.questions.size(), 1u);
  EXPECT_EQ(toast(), "You're up to date (" + std::string(kVersion) + ")");
  host.during_question = nullptr;
  deliver(updater::Available{info}, false);  // asked again once the first is answered
  EXPECT_EQ(host.questions.size(), 2u);
}

TEST_F(UpdateControllerTest, DownloadFailureIsAToast) {
  downloads.put(updater::DownloadFailed{"Downloaded size mismatch"});
  controller.on_download_done();
  EXPECT_EQ(toast(), "Downloaded size mismatch");
  EXPECT_EQ(host.destroyed, 0);
}

TEST_F(UpdateControllerTest, StartedInstallerEndsTheWindowWithoutTheCloseHandling) {
  downloads.put(updater::InstallerReady{"C:\\T\\Kestro\\Kestro-Setup-1.2.0.exe", nullptr});
  controller.on_download_done();
  ASSERT_EQ(host.installers.size(), 1u);
  EXPECT_EQ(host.installers[0].second,
            "\"C:\\T\\Kestro\\Kestro-Setup-1.2.0.exe\" /SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1");
  EXPECT_EQ(host.destroyed, 1);
  EXPECT_FALSE(toast());
}

TEST_F(UpdateControllerTest, InstallerThatDoesNotStartChangesNothing) {
  host.installer_starts = false;
  downloads.put(updater::InstallerReady{"C:\\T\\Kestro\\Kestro-Setup-1.2.0.exe", nullptr});
  controller.on_download_done();
  EXPECT_EQ(host.destroyed, 0);
  EXPECT_FALSE(toast());
  EXPECT_EQ(host.invalidations, 0);
}

// ---- Start-up schedule against the settings store ----------------------------------------------

class MemorySettings : public SettingsStore {
 public:
  std::map<std::string, std::string, std::less<>> texts;
  std::optional<std::uint32_t> flag;
  std::vector<std::string> writes;

  std::optional<std::string> read_text(std::string_view name) override {
    const auto found = texts.find(name);
    if (found == texts.end()) return std::nullopt;
    return found->second;
  }
  void write_text(std::string_view name, std::string_view text) override {
    writes.push_back(std::string(name) + "=" + std::string(text));
    texts[std::string(name)] = text;
  }
  std::optional<std::uint32_t> read_flag() override { return flag; }
  void write_number(std::string_view, std::uint32_t) override {}
  std::optional<std::vector<std::uint8_t>> read_placement() override { return std::nullopt; }
  void write_placement(std::span<const std::uint8_t>) override {}
  void remove_all() override {}
};

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
    MemorySettings settings;
    settings.flag = c.flag;
    if (c.last) settings.texts["LastUpdateCheck"] = *c.last;
    host.update_checks.clear();
    EXPECT_EQ(run_startup_update_check(settings, now, controller), c.starts) << c.name;
    EXPECT_EQ(host.update_checks, c.starts ? std::vector<bool>{false} : std::vector<bool>{}) << c.name;
    EXPECT_EQ(settings.writes, c.starts ? std::vector<std::string>{"LastUpdateCheck=1733600000"}
                                        : std::vector<std::string>{})
        << c.name;
  }
  EXPECT_FALSE(toast());  // the automatic check says nothing when it starts
}

}  // namespace
}  // namespace kestro::app

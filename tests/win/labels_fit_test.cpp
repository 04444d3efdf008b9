// Every text the window draws, in each of the ten languages, at the default window size at
// 96 and 144 DPI: the loading screen and the reports of two machines that between them carry
// every label, heading and value text of the report are painted by the window's own painting
// code, and each text is measured with the real DirectWrite formats against the box it is
// drawn in. A text that does not fit is cut with "…" on screen.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/view/paint.h"
#include "app/view/text_report.h"
#include "app/view/texts.h"
#include "gfx/text_win32.h"
#include "i18n/language.h"
#include "i18n/translate.h"
#include "machine/test_machines.h"
#include "probe/run_probe.h"
#include "probe/storage_section.h"
#include "win/test_window_win32.h"

namespace kestro::app {
namespace {

// Under Wine "Segoe UI" is stood in for by "Noto Sans CJK KR". Its Latin and Cyrillic letters
// set about as wide as Segoe UI's and its CJK characters take a full em, as on Windows, but the
// fonts are not the same: a text must fit with this share of its width to spare.
constexpr float kMargin = 0.05f;

// A laptop on which every source answers, with no memory slot names (so the modules are
// numbered) and an unnamed monitor. Elevated it is activated, on mains power, names its maker
// and board and reads its disks' wear, temperature and hours; otherwise it is not activated, on
// battery, nameless ("This PC") and asks for administrator rights. Between them their disks show
// the four health states; elevated, one counts uncorrected errors and both hold drive letters.
test::RecordedMachine laptop(bool elevated) {
  using test::kCimv2;
  using test::WmiObject;
  constexpr const char* kAdapter = "Acme Graphics 780M";
  test::RecordedMachine machine;
  WmiObject computer{{"TotalPhysicalMemory", "33554432000"}};
  if (elevated) computer.insert(computer.end(), {{"Manufacturer", "Acme"}, {"Model", "Book 14"}});
  machine.record_objects(kCimv2, "Win32_ComputerSystem", {computer});
  machine.record_objects(kCimv2, "Win32_BIOS",
                         {{{"SMBIOSBIOSVersion", "1.21.0"}, {"ReleaseDate", "20240412000000.0"}}});
  machine.record_objects(kCimv2, "Win32_OperatingSystem",
                         {{{"Caption", "Microsoft Windows 11 Pro"}, {"BuildNumber", "26100"},
                           {"OSArchitecture", "64-bit"}, {"InstallDate", "20241102093012.0"}}});
  machine.record_objects(kCimv2, "SoftwareLicensingProduct",
                         {{{"LicenseStatus", elevated ? "1" : "5"}}}, test::kLicensingCondition);
  machine.record_objects(kCimv2, "Win32_Processor",
                         {{{"Name", "Acme R7 8840U"}, {"NumberOfCores", "8"},
                           {"NumberOfLogicalProcessors", "16"}, {"MaxClockSpeed", "3301"},
                           {"L3CacheSize", "16384"}}});
  const WmiObject module{{"Capacity", elevated ? "17179869184" : "1073741824"}, {"Speed", "6400"},
                         {"SMBIOSMemoryType", "35"}};
  machine.record_objects(kCimv2, "Win32_PhysicalMemory", {module, module});
  machine.record_objects(kCimv2, "Win32_PhysicalMemoryArray", {{{"MemoryDevices", "2"}}});
  machine.record_objects(kCimv2, "Win32_VideoController",
                         {{{"Name", kAdapter}, {"DriverVersion", "31.0.24027.1012"},
                           {"DriverDate", "20240304000000.0"}}});
  std::vector<WmiObject> disks;
  for (const char* health : elevated ? std::array{"0", "1"} : std::array{"2", "5"}) {
    disks.push_back({{"DeviceId", health}, {"FriendlyName", "Acme NV2 1TB"}, {"BusType", "17"},
                     {"Size", "1000204886016"}, {"HealthStatus", health}, {"__PATH", health}});
    if (elevated) {
      machine.record_associators(test::kStorage, health, "MSFT_StorageReliabilityCounter",
                                 test::kReliabilityProperties,
                                 wmi::WmiRows{test::row({"38", "3", "12345", health, "0"})});
    }
  }
  machine.record_objects(test::kStorage, "MSFT_PhysicalDisk", disks);
  if (elevated) {
    machine.record(test::kStorage, "MSFT_Partition", test::kPartitionProperties,
                   wmi::WmiRows{test::row({"0", "67"}), test::row({"1", "68"}), test::row({"1", "69"})});
    machine.record_objects(kCimv2, "Win32_BaseBoard", {{{"Manufacturer", "Acme"}, {"Product", "B14X"}}});
  }
  machine.admin = elevated;
  machine.uptime_ms = 1'234'567'890;
  test::record_version(machine, "24H2", 2605);
  machine.adapters = {{kAdapter, 536870912, 0}};
  machine.displays = probe::DisplayConfig{{{0, 60000, 1000, ""}}, {{1, 2880, 1800}}};  // unnamed
  machine.drive_mask = 0b1100;  // C: and D:
  for (const char letter : {'C', 'D'}) {
    machine.fixed[letter] = true;
    machine.spaces[letter] = probe::DriveSpace{1'000'204'886'016, 312'345'678'912};
  }
  machine.battery_list = {{"Acme Cell 57Wh", 0, 57000, 51300, 312}};
  machine.power = probe::PowerStatus{static_cast<std::uint8_t>(elevated ? 1 : 0), 87};
  // Security: elevated, UEFI with Secure Boot on and its certificates' update pending;
  // otherwise a Windows 10 PC on legacy BIOS with Secure Boot off, no TPM, an old processor,
  // little memory and a small system drive, so Windows 11 lists the most it can.
  const auto registry = [&machine](std::string_view key, std::string_view name, probe::RegistryValue value) {
    machine.set_registry(probe::RegistryHive::LocalMachine, key, name, std::move(value));
  };
  machine.firmware = elevated ? 2 : 1;
  machine.tpm_answer = elevated ? probe::TpmAnswer{0, 2} : probe::TpmAnswer{0x8028400F, 0};
  machine.cpu_id = probe::CpuIdAnswer{"GenuineIntel", elevated ? 0x000906EAu : 0x000306C3u, 1u << 20 | 1u << 23};
  registry(test::kSecureBootStateKey, "UEFISecureBootEnabled", elevated ? 1u : 0u);
  registry(test::kSecureBootServicingKey, "UEFICA2023Status", "InProgress");
  registry(test::kCurrentVersionKey, "SystemRoot", elevated ? "C:\\Windows" : "D:\\Windows");
  registry(test::kCurrentVersionKey, "EditionID", "Professional");
  registry(test::kCurrentVersionKey, "InstallationType", "Client");
  machine.today = probe::Date{2026, 12, 10};  // security updates ended, with their day
  if (!elevated) {
    machine.find(kCimv2, "Win32_OperatingSystem")->objects[0] = {
        {"Caption", "Microsoft Windows 10 Pro"}, {"BuildNumber", "19045"}, {"OSArchitecture", "64-bit"}};
    machine.spaces['D'].total = 42'949'672'960;
  }
  return machine;
}

// The elevated laptop on Windows 10, ready for Windows 11, its Secure Boot certificates updated.
test::RecordedMachine ready_laptop() {
  test::RecordedMachine machine = laptop(true);
  machine.find(test::kCimv2, "Win32_OperatingSystem")->objects[0][1].second = "19045";
  machine.set_registry(probe::RegistryHive::LocalMachine, test::kSecureBootServicingKey,
                       "UEFICA2023Status", "Updated");
  return machine;
}

struct DrawnText {
  std::string text;
  gfx::RectF box;
  gfx::TextStyle style;
};

// Measures with the real formats and keeps every text drawn; shapes are of no interest here.
class RecordingCanvas final : public gfx::Canvas {
 public:
  explicit RecordingCanvas(const gfx::TextResources& text) : real_(text) {}
  std::optional<gfx::TextMetrics> measure(std::string_view text, gfx::TextStyle style) override {
    return real_.measure(text, style);
  }
  void clear(gfx::Colour) override {}
  void fill_box(float, float, float, float, gfx::Colour) override {}
  void fill_round(gfx::RectF, float, gfx::Colour) override {}
  void stroke_round(gfx::RectF, float, float, gfx::Colour) override {}
  void draw_text(std::string_view text, gfx::RectF box, gfx::Colour, gfx::TextStyle style,
                 bool) override {
    drawn.push_back({std::string(text), box, style});
  }
  void draw_icon(std::string_view, gfx::RectF, gfx::Colour) override {}

  std::vector<DrawnText> drawn;

 private:
  gfx::TextOnlyMeasurer real_;
};

class LabelsFit : public ::testing::Test {
 protected:
  void SetUp() override {
    text_ = gfx::create_text_resources(1.0f);
    ASSERT_TRUE(text_);
  }

  std::unique_ptr<gfx::TextResources> text_;
};

TEST_F(LabelsFit, EveryTextFitsAtTheDefaultWindowSize) {
  for (const std::uint32_t dpi : {96u, 144u}) {
    const float s = static_cast<float>(dpi) / 96.0f;
    ASSERT_TRUE(gfx::rebuild_text_formats(*text_, s));
    // The default window is 1080 design pixels wide; the frame of a sizable Windows 10/11
    // window takes 8 of them on each side. Tall enough that no card is left out.
    const ClientSize client{static_cast<std::int32_t>(1064 * s), 100000};
    RecordingCanvas canvas(*text_);

    for (const LanguageRow& language : language_table()) {
      ScopedLanguageOverride in_language(language.code);
      test::RecordedMachine elevated = laptop(true), plain = laptop(false), ready = ready_laptop();
      std::vector<AppState> frames(4);
      frames[0].report = probe::run_probe(elevated);
      frames[0].toast = std::string(translate(texts::kCopiedAll));
      frames[1].report = probe::run_probe(plain);  // with the note and "View as administrator"
      ASSERT_TRUE(frames[1].report->needs_admin);
      frames[1].toast = std::string(translate(texts::kCopied)) + " " +
                        value_line(frames[1].report->sections[0].rows[0]);
      frames[2].loading_since = Clock::time_point{};  // three dots at 0.7 s
      frames[3].report = probe::run_probe(ready);
      const Clock::time_point now = Clock::time_point{} + std::chrono::milliseconds(700);

      for (AppState& state : frames) {
        state.dpi = dpi;
        canvas.drawn.clear();
        paint(state, canvas, client, now);
        for (const DrawnText& drawn : canvas.drawn) {
          const auto metrics = canvas.measure(drawn.text, drawn.style);
          ASSERT_TRUE(metrics) << drawn.text;
          const auto where = [&] {
            return std::string(language.code) + " at " + std::to_string(dpi) + " DPI: \"" +
                   drawn.text + "\" is " + std::to_string(metrics->width) + " px wide";
          };
          // The toast's box is sized to its text, up to 32 s short of either client edge: the
          // text must fit that box exactly and find room to grow.
          float room = drawn.box.width;
          if (state.toast && drawn.text == *state.toast) {
            EXPECT_LE(metrics->width, drawn.box.width) << where();
            room = static_cast<float>(client.width) - 64 * s;
          }
          EXPECT_LE(metrics->width * (1 + kMargin), room) << where() << ", room " << room;
        }
      }

      // The leftmost toolbar button stays clear of the program name.
      const auto buttons = layout_toolbar(client, s, &*frames[1].report, &canvas);
      const auto name = canvas.measure("Kestro", gfx::TextStyle::BodyStrong);
      ASSERT_TRUE(name);
      EXPECT_GE(buttons.back().rect.x, 18 * s + name->width * (1 + kMargin)) << language.code;
    }
  }
}

}  // namespace
}  // namespace kestro::app

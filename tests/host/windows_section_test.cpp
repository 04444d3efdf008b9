#include "probe/windows_section.h"

#include <gtest/gtest.h>

#include "i18n/translate.h"
#include "machine/test_machines.h"

namespace kestro::probe {
namespace {

using test::kCimv2;
using test::RecordedMachine;
using test::row;
using wmi::WmiResult;
using wmi::WmiRows;

// The registry's feature version and update revision.
struct VersionValues {
  std::string display_version;
  std::optional<std::uint32_t> ubr;
};

// The facts of recorded answers, read as a run reads them.
WindowsFacts windows_facts(const WmiResult& os, const VersionValues& version,
                           const WmiResult& licensing) {
  RecordedMachine platform;
  platform.record(kCimv2, "Win32_OperatingSystem", test::kOsProperties, os);
  platform.record(kCimv2, "SoftwareLicensingProduct", test::kLicensingProperties, licensing,
                  test::kLicensingCondition);
  test::record_version(platform, version.display_version, version.ubr);
  return read_windows(platform.connect(kCimv2).get(), platform);
}
std::optional<bool> activation_state(const WmiResult& licensing) {
  return windows_facts(std::nullopt, {}, licensing).activated;
}

// The card's rows and the subtitle from raw answers, as a run makes them.
struct WindowsOutput {
  std::vector<Row> rows;
  std::string subtitle;
};
WindowsOutput windows_section(const WmiResult& os, const VersionValues& version,
                              const WmiResult& licensing) {
  const WindowsFacts facts = windows_facts(os, version, licensing);
  return {windows_rows(facts), windows_subtitle(facts)};
}
WindowsOutput probe_windows(wmi::WmiSession* cimv2, ProbePlatform& platform) {
  const WindowsFacts facts = read_windows(cimv2, platform);
  return {windows_rows(facts), windows_subtitle(facts)};
}

WmiResult os_row(wmi::WmiValue caption, wmi::WmiValue build, wmi::WmiValue arch,
                 wmi::WmiValue installed) {
  return WmiRows{wmi::WmiRow{std::move(caption), "10.0", std::move(build), std::move(arch),
                             std::move(installed)}};
}

struct VersionCase {
  const char* what;
  wmi::WmiValue caption;
  wmi::WmiValue build;
  std::string display_version;
  std::optional<std::uint32_t> ubr;
  std::string name;
  std::string version;
  std::string subtitle;
};

TEST(WindowsSection, NameVersionAndSubtitle) {
  ScopedLanguageOverride en("en");
  const std::vector<VersionCase> cases = {
      {"full", "Microsoft Windows 11 Home", "26100", "24H2", 2605, "Windows 11 Home",
       "24H2 (build 26100.2605)", "Windows 11 Home 24H2"},
      {"no DisplayVersion", "Microsoft Windows 10 Pro", "17763", "", 6414, "Windows 10 Pro",
       "17763.6414", "Windows 10 Pro"},
      {"no UBR", "Microsoft Windows 11 Pro", "22631", "23H2", std::nullopt, "Windows 11 Pro",
       "23H2 (build 22631)", "Windows 11 Pro 23H2"},
      {"no build number", "Windows 11 Pro", std::nullopt, "", 4602, "Windows 11 Pro", ".4602",
       "Windows 11 Pro"},
      {"prefix twice", "Microsoft Microsoft Windows Server", "1", "", std::nullopt,
       "Windows Server", "1", "Windows Server"},
      {"prefix inside", "Windows by Microsoft Edition", "1", "", std::nullopt,
       "Windows by Microsoft Edition", "1", "Windows by Microsoft Edition"},
      {"prefix without space", "MicrosoftWindows", "1", "", std::nullopt, "MicrosoftWindows",
       "1", "MicrosoftWindows"},
      {"lower-case prefix stays", "microsoft Windows", "1", "", std::nullopt,
       "microsoft Windows", "1", "microsoft Windows"},
      {"no caption", std::nullopt, "1", "24H2", std::nullopt, "", "24H2 (build 1)", "24H2"},
      {"markers in the registry text", "Windows", "1", "{0}{1}{2}", 2, "Windows",
       "{0}{1}{2} (build 1.2)", "Windows {0}{1}{2}"},
  };
  for (const VersionCase& c : cases) {
    const WindowsOutput out = windows_section(os_row(c.caption, c.build, "64-bit", std::nullopt),
                                              VersionValues{c.display_version, c.ubr},
                                              std::nullopt);
    ASSERT_EQ(out.rows.size(), 3u) << c.what;
    EXPECT_EQ(out.rows[0], Row::plain("Name", c.name)) << c.what;
    EXPECT_EQ(out.rows[1], Row::plain("Version", c.version)) << c.what;
    EXPECT_EQ(out.rows[2], Row::plain("Type", "64-bit")) << c.what;
    EXPECT_EQ(out.subtitle, c.subtitle) << c.what;
  }
}

TEST(WindowsSection, ReadsThroughTheSessionAndRegistry) {
  ScopedLanguageOverride en("en");
  RecordedMachine platform;
  test::record_version(platform, "24H2", 2605);
  platform.record(kCimv2, "Win32_OperatingSystem", test::kOsProperties,
                  os_row("Microsoft Windows 11 Home", "26100", "64-bit", "20241102093012.000000+540"));
  platform.record(kCimv2, "SoftwareLicensingProduct", test::kLicensingProperties,
                  WmiRows{row({"1"})}, test::kLicensingCondition);
  const std::unique_ptr<wmi::WmiSession> session = platform.connect(kCimv2);
  const WindowsOutput out = probe_windows(session.get(), platform);
  const std::vector<Row> expected = {
      Row::plain("Name", "Windows 11 Home"),
      Row::plain("Version", "24H2 (build 26100.2605)"),
      Row::plain("Type", "64-bit"),
      Row::plain("Installed on", "2024-11-02"),
      Row::status("Activation", "Activated", Tone::Good),
  };
  EXPECT_EQ(out.rows, expected);
  EXPECT_EQ(out.subtitle, "Windows 11 Home 24H2");
}

// The registry values by hive, key and name; one of the wrong type counts as missing.
TEST(WindowsSection, RegistryValuesOfTheirOwnTypeOnly) {
  struct Case {
    const char* what;
    std::optional<probe::RegistryValue> display_version, ubr;
    std::string version;
  };
  const Case cases[] = {
      {"both", std::string("24H2"), 2605u, "24H2 (build 26100.2605)"},
      {"neither", std::nullopt, std::nullopt, "26100"},
      {"a number for the text", 24u, 2605u, "26100.2605"},
      {"a text for the number", std::string("24H2"), std::string("2605"), "24H2 (build 26100)"},
      {"an empty text", std::string(), 7u, "26100.7"},
      {"untrimmed text", std::string(" 24H2 "), std::nullopt, " 24H2  (build 26100)"},
  };
  ScopedLanguageOverride en("en");
  for (const Case& c : cases) {
    RecordedMachine platform;
    platform.record(kCimv2, "Win32_OperatingSystem", test::kOsProperties,
                    os_row("Windows 11 Pro", "26100", "64-bit", std::nullopt));
    const auto put = [&](const char* name, const std::optional<probe::RegistryValue>& value) {
      // Stored under another letter case: registry names and keys ignore it.
      if (value) platform.set_registry(probe::RegistryHive::LocalMachine,
                                       "Software\\Microsoft\\Windows NT\\CurrentVersion", name, *value);
    };
    put("displayversion", c.display_version);
    put("ubr", c.ubr);
    platform.set_registry(probe::RegistryHive::CurrentUser, test::kCurrentVersionKey,
                          "DisplayVersion", std::string("other hive"));
    const std::unique_ptr<wmi::WmiSession> session = platform.connect(kCimv2);
    const WindowsOutput out = probe_windows(session.get(), platform);
    ASSERT_EQ(out.rows.size(), 3u) << c.what;
    EXPECT_EQ(out.rows[1], Row::plain("Version", c.version)) << c.what;
  }
}

TEST(WindowsSection, KoreanVersionText) {
  ScopedLanguageOverride ko("ko");
  const WindowsOutput out = windows_section(
      os_row("Microsoft Windows 11 Home", "26100", "64비트", "20241102093012.000000+540"),
      VersionValues{"24H2", 2605}, WmiRows{row({"0"})});
  ASSERT_EQ(out.rows.size(), 5u);
  EXPECT_EQ(out.rows[0].label, "이름");
  EXPECT_EQ(out.rows[1], Row::plain("버전", "24H2 (빌드 26100.2605)"));
  EXPECT_EQ(out.rows[3], Row::plain("설치한 날", "2024-11-02"));
  EXPECT_EQ(out.rows[4], Row::status("정품 인증", "인증되지 않음", Tone::Warning));
}

TEST(WindowsSection, WithoutAnOperatingSystemRow) {
  ScopedLanguageOverride en("en");
  for (const WmiResult& os : {WmiResult(std::nullopt), WmiResult(WmiRows{})}) {
    const WindowsOutput out =
        windows_section(os, VersionValues{"24H2", 2605}, WmiRows{row({"1"})});
    EXPECT_EQ(out.subtitle, "");
    EXPECT_EQ(out.rows, std::vector<Row>{Row::status("Activation", "Activated", Tone::Good)});
  }
  // No WMI at all: nothing is queried, the registry is still read, no rows come out.
  RecordedMachine platform;
  test::record_version(platform, "24H2", 2605);
  const WindowsOutput offline = probe_windows(nullptr, platform);
  EXPECT_EQ(platform.log, (std::vector<std::string>{
                              "registry HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\DisplayVersion",
                              "registry HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\UBR",
                              "registry HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\EditionID",
                              "registry HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\InstallationType",
                              "local_date"}));
  EXPECT_TRUE(offline.rows.empty());
  EXPECT_TRUE(offline.subtitle.empty());
}

TEST(WindowsSection, ActivationFromLicenceStatuses) {
  struct Case {
    const char* what;
    WmiResult licensing;
    std::optional<bool> activated;
  };
  using test::cut_short;  // a later call for the next licence failed
  const std::vector<Case> cases = {
      {"0, 5 and 1", WmiRows{row({"0"}), row({"5"}), row({"1"})}, true},
      {"0 and 5", WmiRows{row({"0"}), row({"5"})}, false},
      {"absent status", WmiRows{row({std::nullopt})}, std::nullopt},
      {"unparsable next to 0", WmiRows{row({"licensed"}), row({"0"})}, false},
      {"negative and nan", WmiRows{row({"-1"}), row({"nan"})}, std::nullopt},
      {"1 as a fraction", WmiRows{row({"1.5"})}, true},  // truncated like every number
      {"no rows", WmiRows{}, std::nullopt},
      {"failed query", std::nullopt, std::nullopt},
      {"1 before 0", WmiRows{row({"1"}), row({"0"})}, true},
      {"0, then cut short", cut_short({row({"0"})}), std::nullopt},
      {"1, then cut short", cut_short({row({"1"})}), true},
  };
  ScopedLanguageOverride en("en");
  for (const Case& c : cases) {
    EXPECT_EQ(activation_state(c.licensing), c.activated) << c.what;
    const WindowsOutput out = windows_section(std::nullopt, VersionValues{}, c.licensing);
    if (!c.activated) {
      EXPECT_TRUE(out.rows.empty()) << c.what;
    } else {
      ASSERT_EQ(out.rows.size(), 1u) << c.what;
      EXPECT_EQ(display_text(out.rows[0]), *c.activated ? "Activated" : "Not activated");
      EXPECT_EQ(out.rows[0].tone, *c.activated ? Tone::Good : Tone::Warning);
      EXPECT_EQ(out.rows[0].value, "");
      EXPECT_FALSE(out.rows[0].gauge);
    }
  }
}

}  // namespace
}  // namespace kestro::probe

namespace kestro::probe {
namespace {

// The Security updates row and its JSON from the build, update revision, edition, installation
// type and the PC's day, as a run reads them.
TEST(WindowsSection, SecurityUpdatesFromBuildEditionAndDay) {
  struct Case {
    const char* build;
    std::optional<std::uint32_t> ubr;
    const char* edition;
    const char* installation;
    std::optional<Date> today;
    const char* row;  // "" for no row; a badge's text ends in "!" (warning tone)
    const char* json;
  };
  const Date dec10{2026, 12, 10};
  const Case cases[] = {
      {"26100", 2605, "Core", "Client", Date{2026, 10, 13}, "Until 2026-10-13", R"({"state":"supported","until":"2026-10-13"})"},
      {"26100", 2605, "Core", "Client", Date{2026, 10, 14}, "Ended 2026-10-13!", R"({"state":"ended","until":"2026-10-13"})"},
      {"26100", 2605, "Enterprise", "Client", dec10, "Until 2027-10-12", R"({"state":"supported","until":"2027-10-12"})"},
      {"26100", 2605, "EnterpriseS", "Client", dec10, "Until 2029-10-09", R"({"state":"supported","until":"2029-10-09"})"},
      {"19044", 6575, "IoTEnterpriseS", "Client", Date{2032, 1, 13}, "Until 2032-01-13", R"({"state":"supported","until":"2032-01-13"})"},
      {"19045", 6574, "Professional", "Client", dec10, "Ended 2025-10-14!", R"({"state":"ended","until":"2025-10-14"})"},
      {"19045", 6575, "Professional", "Client", dec10, "Extended Security Updates", R"({"state":"extended"})"},
      {"19045", std::nullopt, "Core", "Client", dec10, "Ended 2025-10-14!", R"({"state":"ended","until":"2025-10-14"})"},
      {"19045", 6575, "EnterpriseS", "Client", dec10, "", ""},      // no such edition
      {"17763", 6414, "Professional", "Client", dec10, "Ended!", R"({"state":"ended"})"},
      {"18363", 2274, "Education", "Client", dec10, "Ended!", R"({"state":"ended"})"},
      {"18363", 2274, "EnterpriseS", "Client", dec10, "", ""},
      {"26300", 1000, "Core", "Client", dec10, "", ""},             // newer than the table
      {"26100", 2605, "ServerDatacenter", "Client", dec10, "", ""}, // an edition not listed
      {"17763", 6414, "EnterpriseS", "Server", dec10, "", ""},
      {"26100", 2605, "Core", "", dec10, "", ""},
      {"26100", 2605, "Core", "Client", std::nullopt, "", ""},
  };
  ScopedLanguageOverride en("en");
  for (const Case& c : cases) {
    const std::string what = std::string(c.build) + " " + c.edition + " " + c.installation;
    RecordedMachine platform;
    platform.record(kCimv2, "Win32_OperatingSystem", test::kOsProperties,
                    os_row("Microsoft Windows", c.build, "64-bit", std::nullopt));
    test::record_version(platform, "", c.ubr);
    platform.set_registry(RegistryHive::LocalMachine, test::kCurrentVersionKey, "EditionID", c.edition);
    if (*c.installation != '\0') {
      platform.set_registry(RegistryHive::LocalMachine, test::kCurrentVersionKey, "InstallationType", c.installation);
    }
    platform.today = c.today;
    const WindowsFacts facts = read_windows(platform.connect(kCimv2).get(), platform);
    std::string row;
    for (const Row& r : windows_rows(facts)) {
      if (r.label == "Security updates") row = display_text(r) + (r.badge && r.tone == Tone::Warning ? "!" : "");
    }
    EXPECT_EQ(row, c.row) << what;
    const Json json = windows_json(facts);
    EXPECT_EQ(json.contains("security_updates") ? json["security_updates"].dump() : "", c.json) << what;
  }
}

}  // namespace
}  // namespace kestro::probe

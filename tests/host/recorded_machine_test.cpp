// The recorded machine every probe test stands on: it answers a query by what the WQL asks
// for, not by its exact text, and a registry read by hive, key and name.

#include "machine/recorded_machine.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace kestro::test {
namespace {

RecordedMachine machine() {
  RecordedMachine m;
  m.record_objects(kCimv2, "Win32_Thing", {{{"Speed", "2"}, {"Name", "a"}}, {{"Name", "b"}}});
  m.record_objects(kCimv2, "Win32_Thing", {{{"Name", "fast"}}}, "Speed > 1");
  m.record_associators(kCimv2, "\\\\PC\\disk0", "Win32_Counter", {"Value"}, wmi::WmiRows{row({"7"})});
  m.record(kCimv2, "Win32_Failing", {"Name"}, std::nullopt);
  m.record(kCimv2, "Win32_CutShort", {"Name"}, cut_short({row({"x"})}));
  m.record(kCimv2, "Win32_CutAtOnce", {"Name"}, cut_short({}));
  m.set_registry(probe::RegistryHive::LocalMachine, "SOFTWARE\\Kestro", "Text", std::string("t"));
  m.set_registry(probe::RegistryHive::LocalMachine, "SOFTWARE\\Kestro", "Number", 5u);
  return m;
}

TEST(RecordedMachine, AnswersWhatTheQueryAsksFor) {
  struct Case {
    const char* what;
    std::string wql;
    std::vector<std::string_view> properties;
    wmi::WmiResult expected;
  };
  const Case cases[] = {
      {"properties in the requested order, a missing one absent",
       "SELECT Name, Speed FROM Win32_Thing", {"Name", "Speed"},
       wmi::WmiRows{row({"a", "2"}), row({"b", std::nullopt})}},
      {"by its condition", "SELECT Name FROM Win32_Thing WHERE Speed > 1", {"Name"},
       wmi::WmiRows{row({"fast"})}},
      {"another condition", "SELECT Name FROM Win32_Thing WHERE Speed > 2", {"Name"}, std::nullopt},
      {"a class not recorded", "SELECT Name FROM Win32_Other", {"Name"}, std::nullopt},
      {"a list that is not the properties read", "SELECT Name FROM Win32_Thing", {"Speed"},
       std::nullopt},
      {"associators by object path",
       "ASSOCIATORS OF {\\\\PC\\disk0} WHERE ResultClass = Win32_Counter", {"Value"},
       wmi::WmiRows{row({"7"})}},
      {"associators of another path",
       "ASSOCIATORS OF {\\\\PC\\disk1} WHERE ResultClass = Win32_Counter", {"Value"}, std::nullopt},
      {"a failing query", "SELECT Name FROM Win32_Failing", {"Name"}, std::nullopt},
      {"rows, then a failed call", "SELECT Name FROM Win32_CutShort", {"Name"},
       cut_short({row({"x"})})},
      {"a failed call before any row", "SELECT Name FROM Win32_CutAtOnce", {"Name"}, std::nullopt},
      {"not WQL the probe writes", "SELECT Name Win32_Thing", {"Name"}, std::nullopt},
  };
  for (const Case& c : cases) {
    RecordedMachine m = machine();
    const wmi::WmiResult result = m.connect(kCimv2)->query_text(c.wql, c.properties);
    ASSERT_EQ(result.has_value(), c.expected.has_value()) << c.what;
    if (result) {
      EXPECT_EQ(static_cast<const std::vector<wmi::WmiRow>&>(*result),
                static_cast<const std::vector<wmi::WmiRow>&>(*c.expected))
          << c.what;
      EXPECT_EQ(result->complete, c.expected->complete) << c.what;
    }
    EXPECT_EQ(m.log, (std::vector<std::string>{"connect ROOT\\CIMV2", "query " + c.wql})) << c.what;
  }
}

TEST(RecordedMachine, ConnectsOnlyRecordedNamespacesAndReadsTheRegistryByName) {
  RecordedMachine m = machine();
  EXPECT_EQ(m.connect(kStorage), nullptr);
  EXPECT_EQ(m.connected(), std::vector<std::string>{std::string(kStorage)});
  using probe::RegistryHive;
  EXPECT_EQ(m.registry_value(RegistryHive::LocalMachine, "software\\KESTRO", "text"),
            std::optional<probe::RegistryValue>(std::string("t")));
  EXPECT_EQ(m.registry_value(RegistryHive::LocalMachine, "SOFTWARE\\Kestro", "Number"),
            std::optional<probe::RegistryValue>(5u));
  EXPECT_EQ(m.registry_value(RegistryHive::CurrentUser, "SOFTWARE\\Kestro", "Text"), std::nullopt);
  EXPECT_EQ(m.registry_value(RegistryHive::LocalMachine, "SOFTWARE\\Kestro\\Sub", "Text"),
            std::nullopt);
}

// A recording's generic form holds classes and registry values the named keys do not cover.
TEST(RecordedMachine, LoadsTheGenericFormOfARecording) {
  const RecordedMachine m = RecordedMachine::from_json(R"({
    "is_admin": false, "tick0": 5, "cimv2": false, "storage_ns": false,
    "display_version": null, "ubr": null, "adapters": [], "displays": [], "drives": [],
    "batteries": [], "power": {"ok": false},
    "namespaces": ["ROOT\\CIMV2\\Security\\MicrosoftTpm"],
    "wmi": [{"namespace": "ROOT\\CIMV2\\Security\\MicrosoftTpm", "class": "Win32_Tpm",
             "complete": false, "objects": [{"IsEnabled_InitialValue": " True ", "SpecVersion": null}]}],
    "registry": [{"hive": "HKLM", "path": "SYSTEM\\CurrentControlSet\\Control\\SecureBoot\\State",
                  "name": "UEFISecureBootEnabled", "dword": 1},
                 {"hive": "HKLM", "path": "SYSTEM\\CurrentControlSet\\Control\\SecureBoot\\Servicing",
                  "name": "UEFICA2023Status", "text": "Updated"}]})");
  RecordedMachine copy = m;
  constexpr std::array<std::string_view, 2> kProperties = {"SpecVersion", "IsEnabled_InitialValue"};
  const wmi::WmiResult tpm = copy.connect("ROOT\\CIMV2\\Security\\MicrosoftTpm")
                                 ->query_text("SELECT SpecVersion, IsEnabled_InitialValue FROM Win32_Tpm",
                                              kProperties);
  ASSERT_TRUE(tpm);
  EXPECT_EQ((*tpm)[0], row({std::nullopt, "True"}));  // trimmed as the adapter trims
  EXPECT_FALSE(tpm->complete);
  EXPECT_EQ(copy.registry_value(probe::RegistryHive::LocalMachine,
                                "SYSTEM\\CurrentControlSet\\Control\\SecureBoot\\State",
                                "UEFISecureBootEnabled"),
            std::optional<probe::RegistryValue>(1u));
  EXPECT_EQ(copy.registry_value(probe::RegistryHive::LocalMachine,
                                "SYSTEM\\CurrentControlSet\\Control\\SecureBoot\\Servicing",
                                "UEFICA2023Status"),
            std::optional<probe::RegistryValue>(std::string("Updated")));
  EXPECT_EQ(copy.connect(kCimv2), nullptr);
}

}  // namespace
}  // namespace kestro::test

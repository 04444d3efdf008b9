// The JSON document of fake machines: a key only for a fact the report shows, in the
// document's own fixed words and whole numbers, and English whatever the interface language
// (the recorded PCs' documents are compared in all ten).

#include "probe/json_document.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "i18n/translate.h"
#include "machine/test_machines.h"
#include "probe/run_probe.h"

namespace kestro::test {
namespace {

using nlohmann::json;

json document_of(RecordedMachine platform) {
  return json::parse(probe::json_document(probe::probe_facts(platform)));
}

// A property of the first recorded object of a class.
wmi::WmiValue& property(RecordedMachine& p, std::string_view wmi_namespace,
                        std::string_view class_name, std::string_view name, std::size_t object = 0) {
  for (auto& [property, value] : p.find(wmi_namespace, class_name)->objects.at(object)) {
    if (property == name) return value;
  }
  throw std::out_of_range(std::string(name));
}
wmi::WmiValue& computer(RecordedMachine& p, std::string_view name) {
  return property(p, kCimv2, "Win32_ComputerSystem", name);
}
wmi::WmiValue& disk(RecordedMachine& p, std::string_view name) {
  return property(p, kStorage, "MSFT_PhysicalDisk", name);
}

TEST(JsonDocument, WithoutWmiOnlyWhatIsKnown) {
  ScopedLanguageOverride ko("ko");  // the report's title reads "이 PC"; the document's does not
  RecordedMachine platform;
  platform.uptime_ms = 90061999;
  const json expected = {{"format", "kestro-report"},
                         {"version", 1},
                         {"product", {{"name", "Kestro"}, {"version", "0.1.0"}}},
                         {"title", "This PC"},
                         {"needs_admin", false},
                         {"system", {{"uptime_seconds", 90061}}}};
  EXPECT_EQ(document_of(platform), expected);
}

TEST(JsonDocument, KeysFollowTheRows) {
  struct Case {
    const char* what;
    std::function<void(RecordedMachine&)> change;
    const char* pointer;
    std::optional<json> value;  // nullopt: the key is absent
  };
  const Case cases[] = {
      {"slots with modules", [](RecordedMachine&) {}, "/memory/slots", 4},
      {"no slots without the array query",
       [](RecordedMachine& p) { p.forget(kCimv2, "Win32_PhysicalMemoryArray"); },
       "/memory/slots", std::nullopt},
      {"no slot names when two are the same",
       [](RecordedMachine& p) { property(p, kCimv2, "Win32_PhysicalMemory", "DeviceLocator", 1) = "A0"; },
       "/memory/modules/0/slot", std::nullopt},
      {"absurd capacities as full 64-bit integers",
       [](RecordedMachine& p) { property(p, kCimv2, "Win32_PhysicalMemory", "Capacity") = "1e30"; },
       "/memory/installed_bytes",
       18446744073709551615u},
      {"a Lenovo's name and code",
       [](RecordedMachine& p) {
         p.record(kCimv2, "Win32_ComputerSystem", kComputerProperties,
                  wmi::WmiRows{row({"LENOVO", "20HG", "1", "2"})});
         p.record(kCimv2, "Win32_ComputerSystemProduct", kProductProperties,
                  wmi::WmiRows{row({"ThinkPad X1"})});
       },
       "/system/model_code", "20HG"},
      {"no model next to a placeholder maker",
       [](RecordedMachine& p) { computer(p, "Manufacturer") = "System manufacturer"; }, "/system/model",
       std::nullopt},
      {"a stray byte becomes U+FFFD",
       [](RecordedMachine& p) { computer(p, "Manufacturer") = "Ac\xFFme"; }, "/system/manufacturer",
       "Ac\xEF\xBF\xBDme"},
      {"no registry values without an operating system row",
       [](RecordedMachine& p) { p.forget(kCimv2, "Win32_OperatingSystem"); },
       "/windows/display_version", std::nullopt},
      {"a build number in digits", [](RecordedMachine&) {}, "/windows/build", 26100},
      {"no build number that is not all digits",
       [](RecordedMachine& p) { property(p, kCimv2, "Win32_OperatingSystem", "BuildNumber") = "+26100"; },
       "/windows/build", std::nullopt},
      {"a bus by its word", [](RecordedMachine& p) { disk(p, "BusType") = "20"; }, "/disks/0/bus",
       "nvme_over_fabrics"},
      {"no word for an unlisted bus", [](RecordedMachine& p) { disk(p, "BusType") = "21"; }, "/disks/0/bus",
       std::nullopt},
      {"no kind the report does not name",
       [](RecordedMachine& p) {
         disk(p, "MediaType") = "0";
         disk(p, "BusType") = "11";
       },
       "/disks/0/kind", std::nullopt},
      {"an unknown health", [](RecordedMachine& p) { disk(p, "HealthStatus") = "9"; }, "/disks/0/health",
       "unknown"},
      {"free space as reported", [](RecordedMachine& p) { p.spaces['C'] = {1000, 2000}; },
       "/drives/0/free_bytes", 2000},
      {"refresh halves to even as the row",
       [](RecordedMachine& p) { p.displays->paths[0] = {0, 121, 2, "Screen"}; }, "/displays/0/refresh_hz", 60},
      {"no refresh rate of 0", [](RecordedMachine& p) { p.displays->paths[0].refresh_numerator = 0; },
       "/displays/0/refresh_hz", std::nullopt},
      {"health halves to even as the row",
       [](RecordedMachine& p) { p.battery_list[0].full_charged_capacity = 31250; },
       "/batteries/0/health_percent", 62},
      {"no capacities in relative units",
       [](RecordedMachine& p) { p.battery_list[0].capabilities = 0x40000000; },
       "/batteries/0/design_capacity_mwh", std::nullopt},
      {"no power line at an unknown charge",
       [](RecordedMachine& p) { p.power->battery_life_percent = 255; }, "/power", std::nullopt},
  };
  for (const Case& c : cases) {
    RecordedMachine platform = full_machine();
    c.change(platform);
    const json document = document_of(platform);
    const json::json_pointer pointer(c.pointer);
    if (c.value) {
      ASSERT_TRUE(document.contains(pointer)) << c.what;
      EXPECT_EQ(document.at(pointer), *c.value) << c.what;
    } else {
      EXPECT_FALSE(document.contains(pointer)) << c.what;
    }
  }
}

}  // namespace
}  // namespace kestro::test

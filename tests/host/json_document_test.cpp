// The JSON document of fake machines: a key only for a fact the report shows, in the
// document's own fixed words and whole numbers, and English whatever the interface language
// (the recorded PCs' documents are compared in all ten).

#include "probe/json_document.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include <nlohmann/json.hpp>

#include "host/recorded_machines.h"
#include "i18n/translate.h"
#include "probe/sections.h"

namespace kestro::test {
namespace {

using nlohmann::json;

json document_of(FakePlatform platform) {
  return json::parse(probe::json_document(probe::probe_facts(platform)));
}

wmi::WmiRows& answer(FakePlatform& p, const char* wql) {
  return *p.namespaces.at("ROOT\\CIMV2").answers.at(wql);
}
wmi::WmiRow& disk(FakePlatform& p) {
  return p.namespaces.at("ROOT\\Microsoft\\Windows\\Storage").answers.at(kDisks)->front();
}

TEST(JsonDocument, WithoutWmiOnlyWhatIsKnown) {
  ScopedLanguageOverride ko("ko");  // the report's title reads "이 PC"; the document's does not
  FakePlatform platform;
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
    std::function<void(FakePlatform&)> change;
    const char* pointer;
    std::optional<json> value;  // nullopt: the key is absent
  };
  const Case cases[] = {
      {"slots with modules", [](FakePlatform&) {}, "/memory/slots", 4},
      {"no slots without the array query",
       [](FakePlatform& p) { p.namespaces.at("ROOT\\CIMV2").answers.erase(kMemoryArray); },
       "/memory/slots", std::nullopt},
      {"no slot names when two are the same",
       [](FakePlatform& p) { answer(p, kMemory)[1][5] = "A0"; }, "/memory/modules/0/slot", std::nullopt},
      {"absurd capacities as full 64-bit integers",
       [](FakePlatform& p) { answer(p, kMemory)[0][0] = "1e30"; }, "/memory/installed_bytes",
       18446744073709551615u},
      {"a Lenovo's name and code",
       [](FakePlatform& p) {
         answer(p, kComputer)[0] = row({"LENOVO", "20HG", "1", "2"});
         p.namespaces.at("ROOT\\CIMV2").answers[kProduct] = wmi::WmiRows{row({"ThinkPad X1"})};
       },
       "/system/model_code", "20HG"},
      {"no model next to a placeholder maker",
       [](FakePlatform& p) { answer(p, kComputer)[0][0] = "System manufacturer"; }, "/system/model",
       std::nullopt},
      {"a stray byte becomes U+FFFD",
       [](FakePlatform& p) { answer(p, kComputer)[0][0] = "Ac\xFFme"; }, "/system/manufacturer",
       "Ac\xEF\xBF\xBDme"},
      {"no registry values without an operating system row",
       [](FakePlatform& p) { p.namespaces.at("ROOT\\CIMV2").answers.erase(kOs); },
       "/windows/display_version", std::nullopt},
      {"a build number in digits", [](FakePlatform&) {}, "/windows/build", 26100},
      {"no build number that is not all digits",
       [](FakePlatform& p) { answer(p, kOs)[0][2] = "+26100"; }, "/windows/build", std::nullopt},
      {"a bus by its word", [](FakePlatform& p) { disk(p)[3] = "20"; }, "/disks/0/bus",
       "nvme_over_fabrics"},
      {"no word for an unlisted bus", [](FakePlatform& p) { disk(p)[3] = "21"; }, "/disks/0/bus",
       std::nullopt},
      {"no kind the report does not name",
       [](FakePlatform& p) {
         disk(p)[2] = "0";
         disk(p)[3] = "11";
       },
       "/disks/0/kind", std::nullopt},
      {"an unknown health", [](FakePlatform& p) { disk(p)[5] = "9"; }, "/disks/0/health", "unknown"},
      {"free space as reported", [](FakePlatform& p) { p.spaces['C'] = {1000, 2000}; },
       "/drives/0/free_bytes", 2000},
      {"refresh halves to even as the row",
       [](FakePlatform& p) { p.displays->paths[0] = {0, 121, 2, "Screen"}; }, "/displays/0/refresh_hz", 60},
      {"no refresh rate of 0", [](FakePlatform& p) { p.displays->paths[0].refresh_numerator = 0; },
       "/displays/0/refresh_hz", std::nullopt},
      {"health halves to even as the row",
       [](FakePlatform& p) { p.battery_list[0].full_charged_capacity = 31250; },
       "/batteries/0/health_percent", 62},
      {"no capacities in relative units",
       [](FakePlatform& p) { p.battery_list[0].capabilities = 0x40000000; },
       "/batteries/0/design_capacity_mwh", std::nullopt},
      {"no power line at an unknown charge",
       [](FakePlatform& p) { p.power->battery_life_percent = 255; }, "/power", std::nullopt},
  };
  for (const Case& c : cases) {
    FakePlatform platform = full_machine();
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

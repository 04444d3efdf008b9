#include "wmi/wmi.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "machine/recorded_machine.h"

namespace kestro::wmi {
namespace {

struct QueryCase {
  std::string_view class_name;
  std::vector<std::string_view> properties;
  std::string_view condition;
  std::string_view expected;
};

TEST(WmiQueryText, BuildsSelectFromWhere) {
  const std::vector<QueryCase> cases = {
      {"Win32_BIOS", {"SMBIOSBIOSVersion", "ReleaseDate", "Manufacturer"}, "",
       "SELECT SMBIOSBIOSVersion, ReleaseDate, Manufacturer FROM Win32_BIOS"},
      {"Win32_BaseBoard", {"Manufacturer", "Product"}, "",
       "SELECT Manufacturer, Product FROM Win32_BaseBoard"},
      {"SoftwareLicensingProduct", {"LicenseStatus"},
       "ApplicationID='55c92734-d682-4d71-983e-d6ec3f16059f' AND PartialProductKey IS NOT NULL",
       "SELECT LicenseStatus FROM SoftwareLicensingProduct WHERE "
       "ApplicationID='55c92734-d682-4d71-983e-d6ec3f16059f' AND PartialProductKey IS NOT NULL"},
      // Only an empty condition drops the WHERE; spaces go out unchanged.
      {"Win32_Processor", {"Name"}, "   ", "SELECT Name FROM Win32_Processor WHERE    "},
      {"Win32_PhysicalMemoryArray", {"MemoryDevices"}, "",
       "SELECT MemoryDevices FROM Win32_PhysicalMemoryArray"},
  };
  for (const QueryCase& c : cases) {
    test::RecordedMachine machine;
    machine.namespaces.emplace_back(test::kCimv2);
    query(*machine.connect(test::kCimv2), c.class_name, c.properties, c.condition);
    EXPECT_EQ(machine.sent(), std::vector<std::string>{std::string(c.expected)}) << c.class_name;
  }
}

TEST(WmiQueryText, QuerySendsTheBuiltTextAndKeepsTheRowLayout) {
  test::RecordedMachine machine;
  machine.record(test::kCimv2, "Win32_Thing", {"Name", "Speed"}, WmiRows{test::row({"a", "2"})},
                 "Speed > 1");
  constexpr std::array<std::string_view, 2> kProperties = {"Name", "Speed"};
  const WmiResult result = query(*machine.connect(test::kCimv2), "Win32_Thing", kProperties, "Speed > 1");
  ASSERT_EQ(machine.sent().size(), 1u);
  EXPECT_EQ(machine.sent()[0], "SELECT Name, Speed FROM Win32_Thing WHERE Speed > 1");
  ASSERT_TRUE(result);
  ASSERT_EQ(result->size(), 1u);
  EXPECT_EQ((*result)[0], (WmiRow{"a", "2"}));
}

TEST(WmiValueText, TrimsAndDropsBlankTexts) {
  const std::vector<std::pair<std::optional<std::string>, WmiValue>> cases = {
      {std::nullopt, std::nullopt},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"\t\r\n", std::nullopt},
      {"\u3000\u00A0", std::nullopt},  // ideographic and no-break spaces are white space too
      {"  Default string  ", "Default string"},
      {"\u2003Acme\u2028", "Acme"},
      {"a  b", "a  b"},  // inner spaces are kept
      {"0", "0"},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(make_value(input), expected) << input.value_or("<absent>");
  }
}

TEST(WmiDate, TakesTheFirstEightDigits) {
  const std::vector<std::pair<WmiValue, std::optional<std::string>>> cases = {
      {"20231015000000.000000+540", "2023-10-15"},
      {"20231015", "2023-10-15"},
      {"2023", std::nullopt},
      {"2023101", std::nullopt},
      {"20231O15", std::nullopt},    // letter O
      {"2023-10-15", std::nullopt},  // already dashed: not a CIM date
      {"20231399", "2023-13-99"},    // nothing beyond the digits is checked
      {"", std::nullopt},
      {std::nullopt, std::nullopt},
      {"２０２３１０１５", std::nullopt},  // fullwidth digits are not ASCII digits
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(cim_date(input), expected) << input.value_or("<absent>");
  }
}

TEST(WmiRowCollector, FailureOnlyCountsBeforeTheFirstRow) {
  struct Case {
    int rows;
    bool failed;
    bool expect_result;
  };
  for (const Case c : {Case{0, false, true}, Case{0, true, false}, Case{2, true, true},
                       Case{2, false, true}}) {
    RowCollector collector;
    for (int i = 0; i < c.rows; ++i) collector.add(WmiRow{std::to_string(i)});
    const WmiResult result = std::move(collector).finish(c.failed);
    ASSERT_EQ(result.has_value(), c.expect_result) << c.rows << " " << c.failed;
    if (result) {
      ASSERT_EQ(result->size(), static_cast<std::size_t>(c.rows));
      for (int i = 0; i < c.rows; ++i) EXPECT_EQ((*result)[i][0], std::to_string(i));
    }
  }
}

}  // namespace
}  // namespace kestro::wmi

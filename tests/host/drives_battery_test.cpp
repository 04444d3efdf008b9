#include <gtest/gtest.h>

#include <limits>

#include "i18n/translate.h"
#include "machine/recorded_machine.h"
#include "probe/battery_section.h"
#include "probe/drives_section.h"
#include "probe/storage_section.h"

namespace kestro::probe {
namespace {

using kestro::test::RecordedMachine;

constexpr std::uint32_t kRelative = 0x40000000;

// Rows from raw answers, as a run makes them. Without a storage namespace the Storage card
// holds the drive rows alone.
std::vector<Row> drive_rows(ProbePlatform& platform) {
  return storage_rows(read_storage(platform, true));
}
// The row of one fixed drive whose space query gave `space`.
std::optional<Row> drive_row(char letter, const std::optional<DriveSpace>& space) {
  RecordedMachine platform;
  platform.drive_mask = 1u << (letter - 'A');
  platform.fixed[letter] = true;
  if (space) platform.spaces[letter] = *space;
  const std::vector<DriveFacts> drives = read_drives(platform);
  if (drives.empty()) return std::nullopt;
  return drive_row(drives.front());
}
std::vector<Row> probe_battery(ProbePlatform& platform) {
  return battery_rows(read_batteries(platform));
}
// The batteries' rows alone: without a power status there is no Now line.
std::vector<Row> battery_record_rows(const std::vector<BatteryInfo>& batteries) {
  RecordedMachine platform;
  platform.battery_list = batteries;
  return probe_battery(platform);
}
// The Now line of a power status, after one battery's single row.
std::optional<Row> now_row(const PowerStatus& status) {
  RecordedMachine platform;
  platform.battery_list = {BatteryInfo{"", 0, 0, 0, 1}};
  platform.power = status;
  const std::vector<Row> rows = probe_battery(platform);
  if (rows.size() < 2) return std::nullopt;
  return rows.back();
}

class DrivesTest : public ::testing::Test {
  ScopedLanguageOverride english_{"en"};
};

TEST_F(DrivesTest, FixedLettersInOrderWithUsage) {
  RecordedMachine platform;
  platform.drive_mask = 0b1101;  // A:, C:, D:
  platform.fixed = {{'A', false}, {'C', true}, {'D', true}};
  platform.spaces = {{'A', {64'000'000'000, 0}},
                     {'C', {511'000'000'000, 100'000'000'000}},
                     {'D', {2'000'000'000'000, 500'000'000'000}}};
  const std::vector<Row> rows = drive_rows(platform);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].label, "Drive C:");
  EXPECT_EQ(rows[0].value, "411 GB used of 511 GB");
  EXPECT_FALSE(rows[0].badge.has_value());
  ASSERT_TRUE(rows[0].gauge.has_value());
  EXPECT_NEAR(*rows[0].gauge, 0.8043, 0.0001);
  EXPECT_EQ(rows[1], Row::gauge_row("Drive D:", "1.5 TB used of 2 TB", 0.75f));
}

TEST_F(DrivesTest, UnreadableOrEmptyDrivesAreSkipped) {
  struct Case {
    const char* what;
    std::optional<DriveSpace> space;
    std::optional<Row> expected;
  };
  const Case cases[] = {
      {"space query failed", std::nullopt, std::nullopt},
      {"total 0", DriveSpace{0, 0}, std::nullopt},
      {"total 0, free set", DriveSpace{0, 5}, std::nullopt},
      {"free above total", DriveSpace{100'000'000'000, 200'000'000'000},
       Row::gauge_row("Drive E:", "0 GB used of 100 GB", 0.0f)},
      {"full", DriveSpace{100'000'000'000, 0}, Row::gauge_row("Drive E:", "100 GB used of 100 GB", 1.0f)},
      {"largest", DriveSpace{std::numeric_limits<std::uint64_t>::max(), 0},
       Row::gauge_row("Drive E:", "18446744.1 TB used of 18446744.1 TB", 1.0f)},
  };
  for (const Case& c : cases) EXPECT_EQ(drive_row('E', c.space), c.expected) << c.what;
}

TEST_F(DrivesTest, OnlyTheTwentySixLetterBitsAndFixedDrivesCount) {
  RecordedMachine platform;
  platform.drive_mask = 0xFFFFFFFF;
  platform.fixed = {{'Z', true}, {'[', true}, {'Y', false}};
  platform.spaces = {{'Z', {1'000'000'000, 0}}, {'[', {1'000'000'000, 0}}, {'Y', {1'000'000'000, 0}}};
  const std::vector<Row> rows = drive_rows(platform);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].label, "Drive Z:");

  platform.drive_mask = 0;
  EXPECT_TRUE(drive_rows(platform).empty());
}

TEST(DriveName, RootWithoutTrailingBackslashes) {
  EXPECT_EQ(drive_name("C:\\"), "C:");
  EXPECT_EQ(drive_name("C:\\\\\\"), "C:");
  EXPECT_EQ(drive_name("\\\\"), "");
  EXPECT_EQ(drive_name(""), "");
}

TEST(DrivesKorean, NameComesFirst) {
  ScopedLanguageOverride korean("ko");
  const std::optional<Row> row = drive_row('C', DriveSpace{511'000'000'000, 100'000'000'000});
  ASSERT_TRUE(row.has_value());
  EXPECT_EQ(row->label, "C: 드라이브");
  EXPECT_EQ(row->value, "411 GB 사용 / 전체 511 GB");
}

class BatteryTest : public ::testing::Test {
  ScopedLanguageOverride english_{"en"};
};

BatteryInfo battery(std::uint32_t designed, std::uint32_t full, std::uint32_t cycles = 0,
                    std::string name = {}, std::uint32_t capabilities = 0) {
  return BatteryInfo{std::move(name), capabilities, designed, full, cycles};
}

TEST_F(BatteryTest, HealthPercentToneAndGauge) {
  struct Case {
    std::uint32_t designed, full;
    std::string_view value;
    Tone tone;
    float gauge;
  };
  const Case cases[] = {
      {50000, 45123, "90% of new", Tone::Good, 0.90246f},
      {50000, 52000, "100% of new", Tone::Good, 1.0f},     // capped
      {50000, 40000, "80% of new", Tone::Good, 0.8f},
      {50000, 39990, "80% of new", Tone::Warning, 0.7998f}, // tone from the unrounded value
      {50000, 25000, "50% of new", Tone::Warning, 0.5f},
      {50000, 24990, "50% of new", Tone::Bad, 0.4998f},
      {50000, 31250, "62% of new", Tone::Warning, 0.625f},  // exact half to even
      {50000, 31750, "64% of new", Tone::Warning, 0.635f},
      {1, 4294967295u, "100% of new", Tone::Good, 1.0f},
      {4294967295u, 1, "0% of new", Tone::Bad, static_cast<float>(100.0 / 4294967295.0) / 100.0f},
  };
  for (const Case& c : cases) {
    const std::vector<Row> rows = battery_record_rows({battery(c.designed, c.full, 0, {}, kRelative)});
    ASSERT_EQ(rows.size(), 1u) << c.full;
    EXPECT_EQ(rows[0].label, "Battery health");
    EXPECT_EQ(rows[0].value, c.value) << c.full;
    EXPECT_EQ(rows[0].tone, c.tone) << c.full;
    EXPECT_EQ(rows[0].badge, std::optional<std::string>("")) << c.full;
    ASSERT_TRUE(rows[0].gauge.has_value());
    EXPECT_FLOAT_EQ(*rows[0].gauge, c.gauge) << c.full;
  }
}

TEST_F(BatteryTest, RowsPerRecordInOrder) {
  const std::vector<BatteryInfo> batteries = {
      battery(50000, 45123, 312, "DELL 7FHHV24"),
      battery(0, 41000, 0, "Second"),                   // zero designed: no health, no capacity
      battery(0, 0, 0),                                 // nothing to show: adds nothing
      battery(60000, 30000, 5, "", kRelative),          // relative units: no capacity row
  };
  const std::vector<Row> expected = {
      Row::plain("Name", "DELL 7FHHV24"),
      Row::toned_gauge("Battery health", "90% of new", Tone::Good, static_cast<float>(90.246) / 100.0f),
      Row::plain("Capacity", "45.1 Wh now / 50.0 Wh when new"),
      Row::plain("Charge cycles", "312"),
      Row::plain("Name", "Second"),
      Row::plain("Name", "Battery 3"),  // the third that shows rows; named for there are several
      Row::toned_gauge("Battery health", "50% of new", Tone::Warning, 0.5f),
      Row::plain("Charge cycles", "5"),
  };
  EXPECT_EQ(battery_record_rows(batteries), expected);
}

TEST_F(BatteryTest, EveryBatteryNamedWhenSeveralShowRows) {
  using Names = std::vector<std::string>;  // the Name rows' values, in order
  const std::vector<std::pair<std::vector<BatteryInfo>, Names>> cases = {
      {{battery(50000, 45000, 3)}, {}},  // one battery: unnamed as before
      {{battery(50000, 45000, 3, "DELL 7FHHV24"), battery(0, 0, 9)}, {"DELL 7FHHV24", "Battery 2"}},
      {{battery(0, 0, 7), battery(0, 0, 0), battery(0, 0, 9)}, {"Battery 1", "Battery 2"}},
      {{battery(0, 0, 0, "Main"), battery(0, 0, 9)}, {"Main", "Battery 2"}},  // a name is a row
      {{battery(0, 0, 0), battery(0, 0, 0, "Main")}, {"Main"}},
  };
  for (const auto& [batteries, expected] : cases) {
    Names names;
    for (const Row& row : battery_record_rows(batteries)) {
      if (row.label == "Name") names.push_back(row.value);
    }
    EXPECT_EQ(names, expected) << batteries.size();
  }
  // Each name leads its own battery's rows, in the interface language.
  ScopedLanguageOverride korean("ko");
  EXPECT_EQ(battery_record_rows({battery(0, 0, 7), battery(0, 0, 9)}),
            (std::vector<Row>{Row::plain("이름", "배터리 1"), Row::plain("충전 횟수", "7"),
                              Row::plain("이름", "배터리 2"), Row::plain("충전 횟수", "9")}));
}

TEST_F(BatteryTest, NowRow) {
  struct Case {
    std::uint8_t ac, percent;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {255, 87, "87% \u00B7 on battery"}, {0, 87, "87% \u00B7 on battery"},
      {1, 100, "100% \u00B7 plugged in"}, {2, 0, "0% \u00B7 on battery"},
      {1, 101, std::nullopt},             {1, 255, std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<Row> now = now_row(PowerStatus{c.ac, c.percent});
    if (c.value) {
      EXPECT_EQ(now, Row::plain("Now", *c.value)) << int(c.ac) << " " << int(c.percent);
    } else {
      EXPECT_FALSE(now.has_value()) << int(c.ac) << " " << int(c.percent);
    }
  }
}

TEST_F(BatteryTest, PowerStatusReadOnlyWhenBatteriesGaveRows) {
  RecordedMachine platform;
  platform.power = PowerStatus{1, 80};
  EXPECT_TRUE(probe_battery(platform).empty());  // desktop without battery
  platform.battery_list = {battery(0, 0, 0)};
  EXPECT_TRUE(probe_battery(platform).empty());  // a battery without anything to show
  EXPECT_EQ(platform.count("power_status"), 0u);

  platform.battery_list = {battery(0, 0, 7), battery(0, 0, 9)};
  EXPECT_EQ(probe_battery(platform),
            (std::vector<Row>{Row::plain("Name", "Battery 1"), Row::plain("Charge cycles", "7"),
                              Row::plain("Name", "Battery 2"), Row::plain("Charge cycles", "9"),
                              Row::plain("Now", "80% \u00B7 plugged in")}));
  EXPECT_EQ(platform.count("power_status"), 1u);

  platform.power.reset();  // status call failed
  EXPECT_EQ(probe_battery(platform).size(), 4u);
}

TEST(BatteryKorean, TemplatesAndState) {
  ScopedLanguageOverride korean("ko");
  RecordedMachine platform;
  platform.battery_list = {battery(50000, 45123)};
  platform.power = PowerStatus{255, 87};
  const std::vector<Row> rows = probe_battery(platform);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].label, "배터리 건강");
  EXPECT_EQ(rows[0].value, "새것의 90%");
  EXPECT_EQ(rows[1], Row::plain("용량", "지금 45.1 Wh / 처음 50.0 Wh"));
  EXPECT_EQ(rows[2], Row::plain("지금", "87% \u00B7 배터리 사용 중"));
}

}  // namespace
}  // namespace kestro::probe

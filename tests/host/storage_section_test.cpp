#include "probe/storage_section.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "i18n/translate.h"
#include "machine/test_machines.h"

namespace kestro::probe {
namespace {

using kestro::test::kStorage;
using kestro::test::RecordedMachine;
using kestro::test::row;

constexpr std::string_view kDiskQuery =
    "SELECT DeviceId, FriendlyName, MediaType, BusType, Size, HealthStatus, __PATH FROM "
    "MSFT_PhysicalDisk";
constexpr std::string_view kPartitionQuery = "SELECT DiskNumber, DriveLetter FROM MSFT_Partition";

// DeviceId, FriendlyName, MediaType, BusType, Size, HealthStatus, __PATH
wmi::WmiRow disk(wmi::WmiValue id, wmi::WmiValue name, wmi::WmiValue media, wmi::WmiValue bus,
                 wmi::WmiValue size, wmi::WmiValue health, wmi::WmiValue path = std::nullopt) {
  return row({id, name, media, bus, size, health, path});
}

std::optional<std::uint64_t> n(std::uint64_t v) { return v; }

// The card's rows, the Summary's texts, the hint and the document's disks from raw answers, as
// a run makes them.
struct StorageOutput {
  std::vector<Row> rows;
  std::vector<std::string> summaries;
  bool needs_admin = false;
  Json disks;
};
StorageOutput probe_storage(ProbePlatform& platform, bool is_admin) {
  const StorageFacts facts = read_storage(platform, is_admin);
  return {storage_rows(facts), disk_summaries(facts.disks), facts.needs_admin,
          disks_json(facts.disks)};
}

// What the association query of the disk with this DeviceId gives.
struct Counters {
  wmi::WmiValue device_id, temperature, wear, power_on_hours, read_errors{}, write_errors{};
};

// The disks as the storage namespace lists them, each counter record the answer for the first
// disk with its DeviceId; the partition query answers `partitions` (nothing: it fails).
StorageOutput storage_rows(const wmi::WmiRows& disks, const std::vector<Counters>& reliability,
                           bool is_admin, const wmi::WmiResult& partitions = std::nullopt) {
  RecordedMachine machine;
  wmi::WmiRows listed = disks;
  for (const Counters& counters : reliability) {
    const auto owner = std::find_if(listed.begin(), listed.end(), [&](const wmi::WmiRow& d) {
      return !d.empty() && d[0] == counters.device_id;
    });
    if (owner == listed.end()) {
      ADD_FAILURE() << "no disk for the counters of " << counters.device_id.value_or("(absent)");
      continue;
    }
    const std::string path = "\\\\PC\\disk" + std::to_string(owner - listed.begin());
    owner->resize(std::max<std::size_t>(owner->size(), 7));
    (*owner)[6] = path;
    machine.record_associators(kStorage, path, "MSFT_StorageReliabilityCounter",
                               test::kReliabilityProperties,
                               wmi::WmiRows{row({counters.temperature, counters.wear,
                                                 counters.power_on_hours, counters.read_errors,
                                                 counters.write_errors})});
  }
  machine.record(kStorage, "MSFT_PhysicalDisk", test::kDiskProperties, listed);
  if (partitions) machine.record(kStorage, "MSFT_Partition", test::kPartitionProperties, partitions);
  return probe_storage(machine, is_admin);
}

wmi::WmiValue code_text(std::optional<std::uint64_t> code) {
  return code ? wmi::WmiValue(std::to_string(*code)) : std::nullopt;
}

// The kind the Disk row names for a bus and media code ("" for none).
std::string disk_kind_text(std::optional<std::uint64_t> bus, std::optional<std::uint64_t> media) {
  const StorageOutput out =
      storage_rows({disk("0", "D", code_text(media), code_text(bus), "1", "0")}, {}, true);
  std::string value = out.rows.at(0).value;  // "D · kind · 0 GB" or "D · 0 GB"
  const std::string dot = "\u00B7";
  value = value.substr(value.find(dot) + dot.size() + 1);
  const std::size_t kind_end = value.find(dot);
  return kind_end == std::string::npos ? "" : value.substr(0, kind_end - 1);
}

TEST(DiskKind, FirstMatchingCodeDecides) {
  struct Case {
    std::optional<std::uint64_t> bus, media;
    std::string_view expected;
  };
  const Case cases[] = {
      {n(17), n(3), "NVMe SSD"},  // the bus wins over the media type
      {n(17), std::nullopt, "NVMe SSD"},
      {n(7), n(4), "SSD"},
      {n(7), n(3), "HDD"},
      {n(7), n(0), "USB"},
      {n(7), std::nullopt, "USB"},
      {n(11), n(0), ""},
      {n(11), n(4), "SSD"},
      {std::nullopt, std::nullopt, ""},
      {n(18446744073709551615u), n(5), ""},
  };
  ScopedLanguageOverride english("en");
  for (const Case& c : cases) {
    EXPECT_EQ(disk_kind_text(c.bus, c.media), c.expected)
        << c.bus.value_or(999) << "/" << c.media.value_or(999);
  }
}

class StorageRowsTest : public ::testing::Test {
  ScopedLanguageOverride english_{"en"};
};

TEST_F(StorageRowsTest, DiskValueAndSummaryFromRecordedTexts) {
  struct Case {
    wmi::WmiRow record;
    std::string_view value, summary;
  };
  const Case cases[] = {
      {disk("0", "Samsung SSD 990 PRO 2TB", "4", "17", "2000398934016", "0"),
       "Samsung SSD 990 PRO 2TB \u00B7 NVMe SSD \u00B7 2 TB", "Samsung SSD 990 PRO 2TB (NVMe SSD, 2 TB)"},
      {disk("1", "WD Blue", " 3 ", "11", "1000204886016", "0"),
       "WD Blue \u00B7 HDD \u00B7 1 TB", "WD Blue (HDD, 1 TB)"},
      {disk("2", "Disk", "0", "11", "500100000000", "0"), "Disk \u00B7 500 GB", "Disk (500 GB)"},
      {disk("3", "Stick", "0", "7", "64000000000", "0"), "Stick \u00B7 USB \u00B7 64 GB",
       "Stick (USB, 64 GB)"},
      {disk("4", "Odd", "4.9", "17.9", "-1", "0"), "Odd \u00B7 NVMe SSD \u00B7 0 GB",
       "Odd (NVMe SSD, 0 GB)"},
      {disk("5", std::nullopt, "abc", "-1", std::nullopt, "0"), " \u00B7 0 GB", " (0 GB)"},
      {disk("6", "Huge", "nan", "inf", "1e30", "0"), "Huge \u00B7 18446744.1 TB",
       "Huge (18446744.1 TB)"},
      {row({"7", "Short"}), "Short \u00B7 0 GB", "Short (0 GB)"},  // record cut short
  };
  for (const Case& c : cases) {
    const StorageOutput out = storage_rows({c.record}, {}, true);
    ASSERT_EQ(out.rows.size(), 2u) << c.value;
    EXPECT_EQ(out.rows[0], Row::plain("Disk", std::string(c.value)));
    EXPECT_EQ(out.summaries, std::vector<std::string>{std::string(c.summary)});
  }
}

TEST_F(StorageRowsTest, HealthBadge) {
  struct Case {
    wmi::WmiValue status;
    std::string_view badge;
    Tone tone;
  };
  const Case cases[] = {
      {"0", "Healthy", Tone::Good},      {"1", "Warning", Tone::Warning},
      {" 2 ", "Unhealthy", Tone::Bad},   {"2.5", "Unhealthy", Tone::Bad},
      {"5", "Unknown", Tone::Warning},   {"-1", "Unknown", Tone::Warning},
      {"nan", "Unknown", Tone::Warning}, {std::nullopt, "Unknown", Tone::Warning},
      {"   ", "Unknown", Tone::Warning}, {"1e30", "Unknown", Tone::Warning},
  };
  for (const Case& c : cases) {
    const StorageOutput out = storage_rows({disk("0", "D", "4", "17", "1", c.status)}, {}, true);
    ASSERT_EQ(out.rows.size(), 2u);
    EXPECT_EQ(out.rows[1], Row::status("Health", std::string(c.badge), c.tone)) << c.status.value_or("(absent)");
  }
}

TEST_F(StorageRowsTest, LifeLeftFromWear) {
  struct Case {
    wmi::WmiValue wear;
    std::optional<Row> expected;  // nullopt: no Life left row
  };
  const Case cases[] = {
      {"3", Row::toned_gauge("Life left", "97%", Tone::Good, 0.97f)},
      {"0", Row::toned_gauge("Life left", "100%", Tone::Good, 1.0f)},
      {"50", Row::toned_gauge("Life left", "50%", Tone::Good, 0.5f)},
      {"51", Row::toned_gauge("Life left", "49%", Tone::Warning, 0.49f)},
      {"90", Row::toned_gauge("Life left", "10%", Tone::Warning, 0.1f)},
      {"91", Row::toned_gauge("Life left", "9%", Tone::Bad, 0.09f)},
      {"100", Row::toned_gauge("Life left", "0%", Tone::Bad, 0.0f)},
      {"150", Row::toned_gauge("Life left", "0%", Tone::Bad, 0.0f)},
      {"1e30", Row::toned_gauge("Life left", "0%", Tone::Bad, 0.0f)},
      {"-5", std::nullopt},
      {"nan", std::nullopt},
      {"   ", std::nullopt},
      {std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    const StorageOutput out =
        storage_rows({disk("0", "D", "4", "17", "1", "0")}, {{"0", std::nullopt, c.wear, std::nullopt}}, true);
    if (c.expected) {
      ASSERT_EQ(out.rows.size(), 3u) << c.wear.value_or("(absent)");
      EXPECT_EQ(out.rows[2], *c.expected) << c.wear.value_or("(absent)");
    } else {
      EXPECT_EQ(out.rows.size(), 2u) << c.wear.value_or("(absent)");
    }
  }
}

// Uncorrected errors: the counts that could be read, added up; a row above 0, in the document
// whenever one was read.
TEST_F(StorageRowsTest, TemperatureAndPowerOnTime) {
  const auto errors = [](const char* n) { return Row::status("Uncorrected errors", n, Tone::Warning); };
  struct Case {
    wmi::WmiValue temperature, hours;
    std::vector<Row> extra;
    wmi::WmiValue read_errors{}, write_errors{};
    std::optional<std::uint64_t> document_errors{};
  };
  const Case cases[] = {
      {"45.7", "12345", {Row::plain("Temperature", "45 \u00B0C"), Row::plain("Power-on time", "12345 hours")}},
      {"0", "0", {Row::plain("Power-on time", "0 hours")}},
      {"-3", "abc", {}},
      {std::nullopt, " 7 ", {Row::plain("Power-on time", "7 hours")}},
      {std::nullopt, "7", {Row::plain("Power-on time", "7 hours")}, "0", "0", 0},
      {std::nullopt, "7", {Row::plain("Power-on time", "7 hours"), errors("3")}, "3", std::nullopt, 3},
      {std::nullopt, std::nullopt, {errors("2")}, "abc", " 2 ", 2},
      {std::nullopt, std::nullopt, {errors("7")}, "3", "4", 7},
      {std::nullopt, std::nullopt, {errors("18446744073709551615")}, "18446744073709551615", "1", 18446744073709551615u},
  };
  for (const Case& c : cases) {
    const StorageOutput out =
        storage_rows({disk("0", "D", "4", "17", "1", "0")},
                     {{"0", c.temperature, std::nullopt, c.hours, c.read_errors, c.write_errors}}, true);
    std::vector<Row> extra(out.rows.begin() + 2, out.rows.end());
    EXPECT_EQ(extra, c.extra) << c.temperature.value_or("(absent)") << c.read_errors.value_or("");
    EXPECT_EQ(out.disks[0].value("uncorrected_errors", Json()),
              c.document_errors ? Json(*c.document_errors) : Json());
  }
}

// One query's partitions give each disk the letters on it: DiskNumber is the disk's DeviceId,
// DriveLetter the letter's character code, 0 for none.
TEST_F(StorageRowsTest, DrivesRowFromPartitions) {
  struct Case {
    const char* what;
    wmi::WmiResult partitions;
    std::vector<std::string> shown;  // each disk's Drives row, "" for none; the document's list alike
  };
  const Case cases[] = {
      {"several on one disk", wmi::WmiRows{row({"0", "68"}), row({"0", "67"}), row({"0", "68"})}, {"C:, D:", "", ""}},
      {"one spanning two disks", wmi::WmiRows{row({"0", "69"}), row({"1", "69"})}, {"E:", "E:", ""}},
      {"no letter, 0, not A to Z", wmi::WmiRows{row({"0", std::nullopt}), row({"1", "0"}), row({"1", "99"})}, {"", "", ""}},
      {"a disk not listed", wmi::WmiRows{row({"7", "70"}), row({" 1 ", "71"}), row({std::nullopt, "72"})}, {"", "G:", ""}},
      {"cut short", test::cut_short(wmi::WmiRows{row({"1", "90"}), row({"1", "65"})}), {"", "A:, Z:", ""}},
      {"failed", std::nullopt, {"", "", ""}},
  };
  for (const Case& c : cases) {
    const StorageOutput out = storage_rows({disk("0", "A", "4", "17", "1", "0"), disk("1", "B", "4", "17", "1", "0"),
                                            disk("x", "C", "4", "17", "1", "0")},
                                           {}, true, c.partitions);
    std::vector<std::string> shown, listed;
    for (const Row& r : out.rows) {
      if (r.label == "Disk") shown.emplace_back();
      if (r.label == "Drives") shown.back() = r == Row::plain("Drives", r.value) ? r.value : "(not plain)";
    }
    for (const Json& d : out.disks) {
      std::string& text = listed.emplace_back();
      for (const Json& letter : d.value("drive_letters", Json::array())) {
        text += (text.empty() ? "" : ", ") + letter.get<std::string>() + ":";
      }
    }
    EXPECT_EQ(shown, c.shown) << c.what;
    EXPECT_EQ(listed, c.shown) << c.what;
  }
}

// Each disk's counters come from its own association query, and a disk takes the first
// record of its exact DeviceId: another disk with the same DeviceId takes that record too,
// whatever its own query said.
TEST_F(StorageRowsTest, ReliabilityMatchedByExactDeviceId) {
  RecordedMachine machine;
  const auto disk_with = [&](wmi::WmiValue id, const char* name, const char* path,
                             std::optional<const char*> temperature) {
    if (temperature) {
      machine.record_associators(kStorage, path, "MSFT_StorageReliabilityCounter",
                                 test::kReliabilityProperties,
                                 wmi::WmiRows{row({*temperature, std::nullopt, std::nullopt})});
    }
    return disk(std::move(id), name, "4", "17", "1", "0", path);
  };
  const wmi::WmiRows disks = {disk_with("1", "E", "P1", "40"), disk_with("0", "A", "P0", "30"),
                              disk_with("0 ", "B", "P0s", std::nullopt),
                              disk_with(std::nullopt, "C", "Pn", "50"),
                              disk_with("2", "D", "P2", std::nullopt),
                              disk_with("0", "F", "P0b", "99")};
  machine.record(kStorage, "MSFT_PhysicalDisk", test::kDiskProperties, disks);
  const StorageOutput out = probe_storage(machine, false);
  const std::vector<Row> expected = {
      Row::plain("Disk", "E \u00B7 NVMe SSD \u00B7 0 GB"), Row::status("Health", "Healthy", Tone::Good),
      Row::plain("Temperature", "40 \u00B0C"),
      Row::plain("Disk", "A \u00B7 NVMe SSD \u00B7 0 GB"), Row::status("Health", "Healthy", Tone::Good),
      Row::plain("Temperature", "30 \u00B0C"),
      Row::plain("Disk", "B \u00B7 NVMe SSD \u00B7 0 GB"), Row::status("Health", "Healthy", Tone::Good),
      Row::plain("Disk", "C \u00B7 NVMe SSD \u00B7 0 GB"), Row::status("Health", "Healthy", Tone::Good),
      Row::plain("Temperature", "50 \u00B0C"),
      Row::plain("Disk", "D \u00B7 NVMe SSD \u00B7 0 GB"), Row::status("Health", "Healthy", Tone::Good),
      Row::plain("Disk", "F \u00B7 NVMe SSD \u00B7 0 GB"), Row::status("Health", "Healthy", Tone::Good),
      Row::plain("Temperature", "30 \u00B0C"),  // the first record of DeviceId 0, not its own 99
  };
  EXPECT_EQ(out.rows, expected);
  EXPECT_FALSE(out.needs_admin);  // temperatures are present
}

// The whole step against a recorded storage namespace.
class ProbeStorageTest : public StorageRowsTest {
 protected:
  void storage() { platform.namespaces.emplace_back(kStorageNamespace); }
  void record_disks(const wmi::WmiResult& disks) {
    platform.record(kStorage, "MSFT_PhysicalDisk", test::kDiskProperties, disks);
  }
  void record_counters(std::string_view disk_path, const wmi::WmiResult& counters) {
    platform.record_associators(kStorage, disk_path, "MSFT_StorageReliabilityCounter",
                                test::kReliabilityProperties, counters);
  }
  RecordedMachine platform;
};

TEST_F(ProbeStorageTest, SendsDiskAndPerDiskAssociationQueries) {
  record_disks(wmi::WmiRows{disk("0", "A", "4", "17", "1000000000000", "0", "\\\\PC\\disk0"),
                            disk("1", "B", "3", "11", "2000000000000", "1"),  // no __PATH
                            disk("2", "C", "3", "11", "500000000000", "2", "\\\\PC\\disk2")});
  record_counters("\\\\PC\\disk0", wmi::WmiRows{row({"41", "2", "100"}), row({"99", "99", "99"})});
  record_counters("\\\\PC\\disk2", wmi::WmiRows{});  // answered, but no object

  const StorageOutput out = probe_storage(platform, false);
  EXPECT_EQ(platform.connected(), std::vector<std::string>{"ROOT\\Microsoft\\Windows\\Storage"});
  EXPECT_EQ(platform.sent(),
            (std::vector<std::string>{
                std::string(kDiskQuery), std::string(kPartitionQuery),  // once for every disk
                "ASSOCIATORS OF {\\\\PC\\disk0} WHERE ResultClass = MSFT_StorageReliabilityCounter",
                "ASSOCIATORS OF {\\\\PC\\disk2} WHERE ResultClass = MSFT_StorageReliabilityCounter"}));
  const std::vector<Row> expected = {
      Row::plain("Disk", "A \u00B7 NVMe SSD \u00B7 1 TB"),
      Row::status("Health", "Healthy", Tone::Good),
      Row::toned_gauge("Life left", "98%", Tone::Good, 0.98f),
      Row::plain("Temperature", "41 \u00B0C"),
      Row::plain("Power-on time", "100 hours"),
      Row::plain("Disk", "B \u00B7 HDD \u00B7 2 TB"),
      Row::status("Health", "Warning", Tone::Warning),
      Row::plain("Disk", "C \u00B7 HDD \u00B7 500 GB"),
      Row::status("Health", "Unhealthy", Tone::Bad),
  };
  EXPECT_EQ(out.rows, expected);
  EXPECT_EQ(out.summaries, (std::vector<std::string>{"A (NVMe SSD, 1 TB)", "B (HDD, 2 TB)",
                                                     "C (HDD, 500 GB)"}));
  EXPECT_FALSE(out.needs_admin);
}

TEST_F(ProbeStorageTest, NeedsAdminFollowsCounterPresence) {
  struct Case {
    const char* what;
    bool admin;
    wmi::WmiResult counters;  // answer to the one disk's association query
    bool needs_admin;
    std::size_t rows;
  };
  const Case cases[] = {
      {"denied", false, std::nullopt, true, 2},
      {"only hours", false, wmi::WmiRows{row({std::nullopt, std::nullopt, "10"})}, true, 3},
      {"unparsable wear still counts", false, wmi::WmiRows{row({std::nullopt, "abc", std::nullopt})}, false, 2},
      {"temperature present", false, wmi::WmiRows{row({"35", std::nullopt, std::nullopt})}, false, 3},
      {"elevated, nothing", true, std::nullopt, false, 2},
  };
  for (const Case& c : cases) {
    platform = RecordedMachine();
    record_disks(wmi::WmiRows{disk("0", "A", "4", "17", "1", "0", "P0")});
    record_counters("P0", c.counters);
    const StorageOutput out = probe_storage(platform, c.admin);
    EXPECT_EQ(out.needs_admin, c.needs_admin) << c.what;
    EXPECT_EQ(out.rows.size(), c.rows) << c.what;
  }
}

TEST_F(ProbeStorageTest, MissingNamespaceOrDiskListNeverAsksForAdmin) {
  StorageOutput out = probe_storage(platform, false);  // namespace unreachable
  EXPECT_TRUE(out.rows.empty());
  EXPECT_TRUE(out.summaries.empty());
  EXPECT_FALSE(out.needs_admin);

  storage();  // reachable, but the disk query fails
  out = probe_storage(platform, false);
  EXPECT_TRUE(out.rows.empty());
  EXPECT_FALSE(out.needs_admin);

  record_disks(wmi::WmiRows{});  // no disks at all
  out = probe_storage(platform, false);
  EXPECT_TRUE(out.rows.empty());
  EXPECT_FALSE(out.needs_admin);
  EXPECT_EQ(platform.count("query " + std::string(kPartitionQuery)), 0u);  // nothing to join
}

TEST(StorageRowsKorean, LabelsBadgesAndHours) {
  ScopedLanguageOverride korean("ko");
  const StorageOutput out = storage_rows({disk("0", "D", "4", "11", "256060514304", "0")},
                                         {{"0", "38", "1", "1234", "2", "0"}}, true,
                                         wmi::WmiRows{row({"0", "67"})});
  const std::vector<Row> expected = {
      Row::plain("디스크", "D \u00B7 SSD \u00B7 256 GB"), Row::status("건강", "좋음", Tone::Good),
      Row::toned_gauge("남은 수명", "99%", Tone::Good, 0.99f), Row::plain("온도", "38 \u00B0C"),
      Row::plain("사용 시간", "1234시간"), Row::status("수정되지 않은 오류", "2", Tone::Warning),
      Row::plain("드라이브", "C:")};
  EXPECT_EQ(out.rows, expected);
}

}  // namespace
}  // namespace kestro::probe

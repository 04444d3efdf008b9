#include "probe/graphics_section.h"

#include <gtest/gtest.h>

#include <limits>

#include "i18n/translate.h"
#include "machine/test_machines.h"

namespace kestro::probe {
namespace {

using kestro::test::kCimv2;
using kestro::test::RecordedMachine;
using kestro::test::row;

constexpr std::uint64_t kMiB = 1024ull * 1024;
constexpr std::uint64_t kGiB = 1024ull * kMiB;
constexpr std::string_view kControllerQuery =
    "SELECT Name, DriverVersion, DriverDate FROM Win32_VideoController";

// The card's rows and the Summary's texts from raw answers, as a run makes them.
struct GraphicsOutput {
  std::vector<Row> rows;
  std::vector<std::string> summaries;
};
GraphicsOutput probe_graphics(wmi::WmiSession* cimv2, ProbePlatform& platform) {
  const std::vector<AdapterFacts> facts = read_graphics(cimv2, platform);
  return {graphics_rows(facts), graphics_summaries(facts)};
}
// DXGI lists `adapters`, the controller query gives `controllers`.
GraphicsOutput graphics_rows(const std::vector<GraphicsAdapter>& adapters,
                             const wmi::WmiResult& controllers) {
  RecordedMachine platform;
  platform.adapters = adapters;
  platform.record(kCimv2, "Win32_VideoController", test::kControllerProperties, controllers);
  return probe_graphics(platform.connect(kCimv2).get(), platform);
}

// The memory text of an adapter with `bytes` of its own, as its row shows it.
std::string vram_text(std::uint64_t bytes) {
  const std::string value = graphics_rows({{"G", bytes, 0}}, wmi::WmiRows{}).rows.at(0).value;
  return value.substr(std::string_view("G \u00B7 ").size());
}

// The adapters the card lists of those DXGI enumerates.
std::vector<GraphicsAdapter> hardware_adapters(const std::vector<GraphicsAdapter>& enumerated) {
  RecordedMachine platform;
  platform.adapters = enumerated;
  std::vector<GraphicsAdapter> kept;
  for (const AdapterFacts& adapter : read_graphics(nullptr, platform)) {
    kept.push_back({adapter.name, adapter.memory_bytes, 0});
  }
  return kept;
}

// Whether a controller named `wmi_name` gives the driver of the adapter `adapter_name`.
bool same_adapter_name(std::string_view wmi_name, std::string_view adapter_name) {
  return graphics_rows({{std::string(adapter_name), 0, 0}},
                       wmi::WmiRows{row({std::string(wmi_name), "1", std::nullopt})})
             .rows.size() == 2;
}

std::uint64_t gib(double amount) { return static_cast<std::uint64_t>(amount * static_cast<double>(kGiB)); }

TEST(VramText, WholeGigabytesOnlyWithinThreeTenths) {
  struct Case {
    std::uint64_t bytes;
    std::string_view expected;
  };
  const Case cases[] = {
      {12 * kGiB, "12 GB"},
      {gib(7.75), "8 GB"},
      {gib(2.2), "2 GB"},
      {gib(1.25), "1 GB"},
      {gib(2.75), "3 GB"},    // nearest whole rounds up
      {gib(1.5), "1.5 GB"},   // exactly half way: not within 0.3
      {gib(3.5), "3.5 GB"},
      {gib(3.6), "3.6 GB"},
      {gib(0.9), "922 MB"},   // below 1 GiB never reads as whole gigabytes
      {1000 * kMiB, "1000 MB"},
      {512 * kMiB, "512 MB"},
      {128 * kMiB, "128 MB"},
      {96 * kMiB, "96 MB"},
      {1536, "1.5 KB"},
      {1023, "1023 B"},
      {std::numeric_limits<std::uint64_t>::max(), "17179869184 GB"},
  };
  for (const Case& c : cases) EXPECT_EQ(vram_text(c.bytes), c.expected) << c.bytes;
}

TEST(HardwareAdapters, DropsSoftwareAndByteIdenticalRepeats) {
  const std::vector<GraphicsAdapter> enumerated = {
      {"Radeon RX 7600", 8 * kGiB, 0},
      {"Microsoft Basic Render Driver", 0, 2},
      {"Radeon RX 7600", 8 * kGiB, 0},   // second identical card
      {"radeon rx 7600", 8 * kGiB, 0},   // differs in case: a different name
      {"Remote Adapter", 0, 1},          // only the software bit excludes
      {"Soft And Remote", 0, 3},
  };
  const std::vector<GraphicsAdapter> kept = hardware_adapters(enumerated);
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(kept[0].name, "Radeon RX 7600");
  EXPECT_EQ(kept[1].name, "radeon rx 7600");
  EXPECT_EQ(kept[2].name, "Remote Adapter");
}

TEST(SameAdapterName, FoldsAsciiCaseOnly) {
  EXPECT_TRUE(same_adapter_name("NVIDIA GEFORCE RTX 4070", "NVIDIA GeForce RTX 4070"));
  EXPECT_FALSE(same_adapter_name("NVIDIA GeForce RTX 4070 ", "NVIDIA GeForce RTX 4070"));
  EXPECT_FALSE(same_adapter_name(" NVIDIA GeForce RTX 4070", "NVIDIA GeForce RTX 4070"));
  EXPECT_FALSE(same_adapter_name("Intel[R] UHD", "Intel{R} UHD"));  // '[' is not 'A'..'Z'+32
  EXPECT_FALSE(same_adapter_name("\xC3\x84MD", "\xC3\xA4MD"));       // no folding beyond ASCII
  EXPECT_TRUE(same_adapter_name("", ""));
}

class GraphicsRowsTest : public ::testing::Test {
  ScopedLanguageOverride english_{"en"};
};

TEST_F(GraphicsRowsTest, DiscreteAndIntegratedWithDrivers) {
  const std::vector<GraphicsAdapter> adapters = {{"NVIDIA GeForce RTX 4070", 12 * kGiB, 0},
                                                 {"Intel(R) UHD Graphics 770", 128 * kMiB, 0}};
  const wmi::WmiResult controllers = wmi::WmiRows{
      row({"Intel(R) UHD Graphics 770", "31.0.101.4502", "20230608000000.000000-000"}),
      row({"NVIDIA GeForce RTX 4070", "31.0.15.3623", "20230615000000.000000-000"}),
  };
  const GraphicsOutput out = graphics_rows(adapters, controllers);
  const std::vector<Row> expected = {
      Row::plain("Graphics", "NVIDIA GeForce RTX 4070 \u00B7 12 GB"),
      Row::plain("Driver", "31.0.15.3623 (2023-06-15)"),
      Row::plain("Graphics", "Intel(R) UHD Graphics 770 \u00B7 128 MB"),
      Row::plain("Driver", "31.0.101.4502 (2023-06-08)"),
  };
  EXPECT_EQ(out.rows, expected);
  EXPECT_EQ(out.summaries, (std::vector<std::string>{"NVIDIA GeForce RTX 4070 (12 GB)",
                                                     "Intel(R) UHD Graphics 770 (128 MB)"}));
}

TEST_F(GraphicsRowsTest, DriverValueFromRecordedTexts) {
  struct Case {
    const char* what;
    wmi::WmiRow record;
    std::optional<std::string> driver;  // nullopt: no Driver row
  };
  const Case cases[] = {
      {"case differs", row({"gpu x", "1.2", "20230608"}), "1.2 (2023-06-08)"},
      {"trailing space", row({"GPU X ", "1.2", "20230608"}), std::nullopt},
      {"date absent", row({"GPU X", "1.2", std::nullopt}), "1.2"},
      {"date malformed", row({"GPU X", "1.2", "2023O608"}), "1.2"},
      {"date too short", row({"GPU X", "1.2", "2023060"}), "1.2"},
      {"version absent", row({"GPU X", std::nullopt, "20230608"}), " (2023-06-08)"},
      {"both absent", row({"GPU X", std::nullopt, std::nullopt}), ""},
      {"name absent", row({std::nullopt, "1.2", "20230608"}), std::nullopt},
      {"short record", row({"GPU X"}), ""},
      {"empty record", row({}), std::nullopt},
  };
  for (const Case& c : cases) {
    const GraphicsOutput out = graphics_rows({{"GPU X", 0, 0}}, wmi::WmiRows{c.record});
    ASSERT_FALSE(out.rows.empty()) << c.what;
    EXPECT_EQ(out.rows[0], Row::plain("Graphics", "GPU X")) << c.what;
    if (c.driver) {
      ASSERT_EQ(out.rows.size(), 2u) << c.what;
      EXPECT_EQ(out.rows[1], Row::plain("Driver", *c.driver)) << c.what;
    } else {
      EXPECT_EQ(out.rows.size(), 1u) << c.what;
    }
    EXPECT_EQ(out.summaries, std::vector<std::string>{"GPU X"}) << c.what;
  }
}

TEST_F(GraphicsRowsTest, FirstMatchingControllerWins) {
  const wmi::WmiResult controllers =
      wmi::WmiRows{row({"Other", "9", std::nullopt}), row({"GPU X", "1", std::nullopt}),
                   row({"gpu x", "2", std::nullopt})};
  const GraphicsOutput out = graphics_rows({{"GPU X", 0, 0}}, controllers);
  ASSERT_EQ(out.rows.size(), 2u);
  EXPECT_EQ(out.rows[1].value, "1");
}

TEST_F(GraphicsRowsTest, ProbeQueriesControllersAndFiltersAdapters) {
  RecordedMachine platform;
  platform.adapters = {{"GPU X", 0, 0}, {"Microsoft Basic Render Driver", 0, 2}, {"GPU X", 0, 0}};
  platform.record(kCimv2, "Win32_VideoController", test::kControllerProperties,
                  wmi::WmiRows{row({"GPU X", "1.0", std::nullopt})});
  const std::unique_ptr<wmi::WmiSession> cimv2 = platform.connect(kCimv2);

  const GraphicsOutput out = probe_graphics(cimv2.get(), platform);
  EXPECT_EQ(platform.sent(), std::vector<std::string>{std::string(kControllerQuery)});
  EXPECT_EQ(out.rows, (std::vector<Row>{Row::plain("Graphics", "GPU X"), Row::plain("Driver", "1.0")}));

  // Without a session: Graphics rows only.
  const GraphicsOutput bare = probe_graphics(nullptr, platform);
  EXPECT_EQ(bare.rows, std::vector<Row>{Row::plain("Graphics", "GPU X")});

  // A failed query counts as no records.
  RecordedMachine failing = platform;
  failing.forget(kCimv2, "Win32_VideoController");
  EXPECT_EQ(probe_graphics(failing.connect(kCimv2).get(), failing).rows.size(), 1u);

  // WMI records alone never make a row.
  platform.adapters.clear();
  const GraphicsOutput none = probe_graphics(cimv2.get(), platform);
  EXPECT_TRUE(none.rows.empty());
  EXPECT_TRUE(none.summaries.empty());
}

TEST(GraphicsRowsKorean, LabelsAreTranslated) {
  ScopedLanguageOverride korean("ko");
  const GraphicsOutput out =
      graphics_rows({{"GPU X", 4 * kGiB, 0}}, wmi::WmiRows{row({"GPU X", "1.0", std::nullopt})});
  EXPECT_EQ(out.rows, (std::vector<Row>{Row::plain("그래픽", "GPU X \u00B7 4 GB"),
                                        Row::plain("드라이버", "1.0")}));
}

}  // namespace
}  // namespace kestro::probe

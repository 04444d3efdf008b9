#include <gtest/gtest.h>

#include "i18n/translate.h"
#include "machine/test_machines.h"
#include "probe/memory_section.h"
#include "probe/processor_section.h"

namespace kestro::probe {
namespace {

using test::kCimv2;
using test::RecordedMachine;
using test::row;
using wmi::WmiResult;
using wmi::WmiRows;

// The facts of recorded answers, read through the run's CIMV2 session.
std::vector<ProcessorFacts> processor_facts(const WmiResult& processors) {
  RecordedMachine machine;
  machine.record(kCimv2, "Win32_Processor", test::kProcessorProperties, processors);
  return read_processors(machine.connect(kCimv2).get());
}
MemoryFacts memory_facts(const WmiResult& modules, const WmiResult& arrays) {
  RecordedMachine machine;
  machine.record(kCimv2, "Win32_PhysicalMemory", test::kMemoryProperties, modules);
  machine.record(kCimv2, "Win32_PhysicalMemoryArray", test::kArrayProperties, arrays);
  return read_memory(machine.connect(kCimv2).get());
}

// The cards from raw answers, as a run makes them.
struct ProcessorOutput {
  std::vector<Row> rows;
  std::vector<ProcessorFacts> packages;
};
ProcessorOutput processor_section(const WmiResult& processors) {
  std::vector<ProcessorFacts> packages = processor_facts(processors);
  return {processor_rows(packages), std::move(packages)};
}
struct MemoryOutput {
  std::vector<Row> rows;
  std::string summary;
};
MemoryOutput memory_section(const WmiResult& modules, const WmiResult& arrays,
                            std::uint64_t usable) {
  const MemoryFacts facts = memory_facts(modules, arrays);
  return {memory_rows(facts, usable), memory_summary(facts, usable)};
}

TEST(ProcessorSection, OnePackage) {
  ScopedLanguageOverride en("en");
  const ProcessorOutput out = processor_section(
      WmiRows{row({"  Acme   Ryzen\t 7  5800X   ", "8", "16", "3801", "32768"})});
  const std::vector<Row> expected = {
      Row::plain("Name", "Acme Ryzen 7 5800X"),
      Row::plain("Cores", "8 cores, 16 threads"),
      Row::plain("Base speed", "3.80 GHz"),
      Row::plain("L3 cache", "32 MB"),
  };
  EXPECT_EQ(out.rows, expected);
  ASSERT_EQ(out.packages.size(), 1u);
  EXPECT_EQ(out.packages[0].l3_cache_bytes, 32u * 1024 * 1024);
}

TEST(ProcessorSection, KoreanCores) {
  ScopedLanguageOverride ko("ko");
  const ProcessorOutput out = processor_section(WmiRows{row({"CPU", "8", "16"})});
  ASSERT_EQ(out.rows.size(), 2u);
  EXPECT_EQ(out.rows[1], Row::plain("코어", "8코어 16스레드"));
}

TEST(ProcessorSection, OptionalRowsAndOddValues) {
  ScopedLanguageOverride en("en");
  struct Case {
    const char* what;
    wmi::WmiRow row;
    std::vector<Row> rows;
  };
  const std::vector<Case> cases = {
      {"L3 0, clock 0", row({"X", "4", "4", "0", "0"}),
       {Row::plain("Name", "X"), Row::plain("Cores", "4 cores, 4 threads"),
        Row::plain("Base speed", "0.00 GHz")}},
      {"no clock, L3 1536 KiB", row({"X", "4", "8", std::nullopt, "1536"}),
       {Row::plain("Name", "X"), Row::plain("Cores", "4 cores, 8 threads"),
        Row::plain("L3 cache", "1.5 MB")}},
      {"nothing readable", row({std::nullopt, "-2", "abc", "nan", "-1"}),
       {Row::plain("Name", ""), Row::plain("Cores", "0 cores, 0 threads")}},
      {"rounding of the clock", row({"X", "1", "1", "1805"}),
       {Row::plain("Name", "X"), Row::plain("Cores", "1 cores, 1 threads"),
        Row::plain("Base speed", "1.80 GHz")}},
      {"huge L3 saturates", row({"X", "1e30", "1", "2496", "1e30"}),
       {Row::plain("Name", "X"), Row::plain("Cores", "18446744073709551615 cores, 1 threads"),
        Row::plain("Base speed", "2.50 GHz"), Row::plain("L3 cache", "16777216 TB")}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(processor_section(WmiRows{c.row}).rows, c.rows) << c.what;
  }
}

TEST(ProcessorSection, TwoSocketsAndNoPackages) {
  ScopedLanguageOverride en("en");
  RecordedMachine machine;
  machine.record(kCimv2, "Win32_Processor", test::kProcessorProperties,
                 WmiRows{row({"First", "16", "32", "3200", "16384"}),
                         row({"Second", "16", "32", "3200", "16384"})});
  const std::vector<Row> rows = processor_rows(read_processors(machine.connect(kCimv2).get()));
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_EQ(rows[0].value, "First");
  EXPECT_EQ(rows[2].value, "3.20 GHz");
  EXPECT_EQ(rows[3].value, "16 MB");
  EXPECT_EQ(rows[4].value, "Second");

  EXPECT_TRUE(processor_facts(WmiRows{}).empty());
  EXPECT_TRUE(processor_facts(std::nullopt).empty());
  EXPECT_TRUE(read_processors(nullptr).empty());
  // A package without a name is still a package (the Summary's CPU text is then empty).
  const std::vector<ProcessorFacts> nameless = processor_facts(WmiRows{row({std::nullopt})});
  ASSERT_EQ(nameless.size(), 1u);
  EXPECT_EQ(nameless[0].name, "");
}

// Capacity, ConfiguredClockSpeed, Speed, Manufacturer, PartNumber, DeviceLocator, Type
wmi::WmiRow module(wmi::WmiValue capacity, wmi::WmiValue configured, wmi::WmiValue speed,
                   wmi::WmiValue maker, wmi::WmiValue part, wmi::WmiValue locator,
                   wmi::WmiValue type) {
  return wmi::WmiRow{capacity, configured, speed, maker, part, locator, type};
}

TEST(MemorySection, TwoModulesWithLocators) {
  ScopedLanguageOverride en("en");
  RecordedMachine machine;
  machine.record(kCimv2, "Win32_PhysicalMemory", test::kMemoryProperties,
                 WmiRows{module("8589934592", "3200", "3200", "Acme", "AC8G3200   ", "ChannelA-DIMM0", "26"),
                         module("8589934592", "2933", "3200", "Acme", "AC8G3200   ", "ChannelB-DIMM0",
                                "26")});
  machine.record(kCimv2, "Win32_PhysicalMemoryArray", test::kArrayProperties, WmiRows{row({"4"})});
  const MemoryFacts facts = read_memory(machine.connect(kCimv2).get());
  const MemoryOutput out{memory_rows(facts, 17054318592u), memory_summary(facts, 17054318592u)};
  const std::vector<Row> expected = {
      Row::plain("Installed", "16 GB DDR4 3200 MT/s"),
      Row::plain("Usable", "15.9 GB"),
      Row::plain("Slots", "2 of 4 in use"),
      Row::plain("ChannelA-DIMM0", "8 GB \u00B7 Acme AC8G3200"),
      Row::plain("ChannelB-DIMM0", "8 GB \u00B7 Acme AC8G3200"),
  };
  EXPECT_EQ(out.rows, expected);
  EXPECT_EQ(out.summary, "16 GB DDR4 3200 MT/s");
}

TEST(MemorySection, KoreanSlots) {
  ScopedLanguageOverride ko("ko");
  const MemoryOutput out = memory_section(
      WmiRows{module("8589934592", {}, {}, {}, {}, {}, {}),
              module("8589934592", {}, {}, {}, {}, {}, {})},
      WmiRows{row({"4"})}, 17054318592u);
  ASSERT_EQ(out.rows.size(), 5u);
  EXPECT_EQ(out.rows[2], Row::plain("슬롯", "4개 중 2개 사용"));
  EXPECT_EQ(out.rows[3].label, "모듈 1");
}

TEST(MemorySection, ModuleLabels) {
  ScopedLanguageOverride en("en");
  const auto labels = [](std::vector<wmi::WmiValue> locators) {
    WmiRows modules;
    for (auto& locator : locators) modules.push_back(module("1024", {}, {}, {}, {}, locator, {}));
    std::vector<std::string> out;
    const MemoryOutput memory = memory_section(modules, std::nullopt, 0);
    for (std::size_t i = 1; i < memory.rows.size(); ++i) out.push_back(memory.rows[i].label);
    return out;
  };
  using Labels = std::vector<std::string>;
  EXPECT_EQ(labels({"DIMM 0", "DIMM 1"}), (Labels{"DIMM 0", "DIMM 1"}));
  EXPECT_EQ(labels({"DIMM 0", "DIMM 0"}), (Labels{"Module 1", "Module 2"}));
  EXPECT_EQ(labels({"DIMM 0", std::nullopt, "DIMM 2"}),
            (Labels{"Module 1", "Module 2", "Module 3"}));
  EXPECT_EQ(labels({"dimm 0", "DIMM 0"}), (Labels{"dimm 0", "DIMM 0"}));  // case-sensitive
  EXPECT_EQ(labels({"{0}"}), (Labels{"{0}"}));  // firmware text is not a template
}

TEST(MemorySection, TypeAndSpeedAcrossModules) {
  ScopedLanguageOverride en("en");
  struct Case {
    const char* what;
    WmiRows modules;
    std::string summary;
  };
  const std::vector<Case> cases = {
      {"type from the second module",
       {module("1073741824", {}, {}, {}, {}, {}, "0"),
        module("1073741824", {}, {}, {}, {}, {}, "34")},
       "2 GB DDR5"},
      {"unknown codes are skipped",
       {module("1073741824", {}, {}, {}, {}, {}, "2"),
        module("1073741824", {}, {}, {}, {}, {}, "30"),
        module("1073741824", {}, {}, {}, {}, {}, "26")},
       "3 GB LPDDR4"},
      {"configured 0 falls back to Speed",
       {module("1073741824", "0", "2400", {}, {}, {}, {})}, "1 GB 2400 MT/s"},
      {"largest speed wins",
       {module("1073741824", "2133", "3200", {}, {}, {}, {}),
        module("1073741824", std::nullopt, "2666", {}, {}, {}, {})},
       "2 GB 2666 MT/s"},
      {"speed 0 is not shown", {module("1073741824", "0", "0", {}, {}, {}, {})}, "1 GB"},
      {"capacities that do not parse count 0",
       {module("abc", {}, {}, {}, {}, {}, {}), module("-1", {}, {}, {}, {}, {}, {}),
        module("1073741824", {}, {}, {}, {}, {}, {})},
       "1 GB"},
      {"absurd capacities saturate instead of wrapping",
       {module("1e30", {}, {}, {}, {}, {}, {}), module("1024", {}, {}, {}, {}, {}, {})},
       "16777216 TB"},
      {"nothing installed falls back to usable", {module({}, {}, {}, {}, {}, {}, {})},
       "15.9 GB"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(memory_section(c.modules, std::nullopt, 17054318592u).summary, c.summary)
        << c.what;
  }
}

// What a module's row shows after its size for a maker and part number.
std::string module_description(const wmi::WmiValue& maker, const wmi::WmiValue& part) {
  ScopedLanguageOverride en("en");
  const std::string value =
      memory_section(WmiRows{module("8589934592", {}, {}, maker, part, "A", {})}, std::nullopt, 0)
          .rows.back()
          .value;  // "8 GB" or "8 GB · description"
  const std::string_view dot = " \u00B7 ";
  const std::size_t at = value.find(dot);
  return at == std::string::npos ? std::string() : value.substr(at + dot.size());
}

TEST(MemorySection, ModuleDescriptions) {
  struct Case {
    wmi::WmiValue maker;
    wmi::WmiValue part;
    std::string description;
  };
  const std::vector<Case> cases = {
      {"Acme", "AC8G3200   ", "Acme AC8G3200"},
      {"Unknown", "Unknown", ""},
      {"NONE", "O.E.M.", ""},
      {"Acme\u00A0Memory", "Unknown\u3000X1", "Acme Memory X1"},
      {std::nullopt, "AC8G", "AC8G"},
      {"Acme", std::nullopt, "Acme"},
      {std::nullopt, std::nullopt, ""},
      {"OEM", "N/A", "OEM N/A"},  // only the listed words are placeholders
      // Coded makers and hex part numbers are read before the placeholder words go.
      {"0x02FE", "0x45424A3431554638424455302D474E2D4620", "Elpida EBJ41UF8BDU0-GN-F"},
      {"80AD000080AD", "0x556E6B6E6F776E00", "SK hynix"},  // the part number reads "Unknown"
      {"0420", "0x4E6F6E65", "0420"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(module_description(c.maker, c.part), c.description)
        << c.maker.value_or("-") << " " << c.part.value_or("-");
  }
  ScopedLanguageOverride en("en");
  const MemoryOutput out = memory_section(
      WmiRows{module("8589934592", {}, {}, "Unknown", "Unknown", "A", {})}, std::nullopt, 0);
  EXPECT_EQ(out.rows.back(), Row::plain("A", "8 GB"));
}

TEST(MemorySection, WithoutWmiOrModules) {
  ScopedLanguageOverride en("en");
  const MemoryFacts none = read_memory(nullptr);
  const MemoryOutput offline{memory_rows(none, 0), memory_summary(none, 0)};
  EXPECT_EQ(offline.rows, std::vector<Row>{Row::plain("Installed", "0 B")});
  EXPECT_EQ(offline.summary, "0 B");

  // Only the usable figure: no Usable row (installed is 0), no Slots row (no modules).
  const MemoryOutput usable_only =
      memory_section(WmiRows{}, WmiRows{row({"4"})}, 17054318592u);
  EXPECT_EQ(usable_only.rows, std::vector<Row>{Row::plain("Installed", "15.9 GB")});

  // A module without a capacity still gets its row, reading 0 B.
  const MemoryOutput empty_module =
      memory_section(WmiRows{module({}, {}, {}, {}, {}, {}, {})}, std::nullopt, 0);
  ASSERT_EQ(empty_module.rows.size(), 2u);
  EXPECT_EQ(empty_module.rows[1], Row::plain("Module 1", "0 B"));
}

}  // namespace
}  // namespace kestro::probe

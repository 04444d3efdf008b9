#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

#include "i18n/translate.h"
#include "machine/test_machines.h"
#include "probe/probe_slot.h"
#include "probe/section_registry.h"
#include "probe/run_probe.h"

namespace kestro::probe {
namespace {

using test::full_machine;
using test::kCimv2;
using test::RecordedMachine;
using test::row;
using wmi::WmiRows;

// The exact texts a run sends: WMI on Windows is particular about them.
constexpr const char* kComputer =
    "SELECT Manufacturer, Model, TotalPhysicalMemory, PCSystemType FROM Win32_ComputerSystem";
constexpr const char* kBoard = "SELECT Manufacturer, Product FROM Win32_BaseBoard";
constexpr const char* kBios = "SELECT SMBIOSBIOSVersion, ReleaseDate, Manufacturer FROM Win32_BIOS";
constexpr const char* kProduct = "SELECT Version FROM Win32_ComputerSystemProduct";
constexpr const char* kOs =
    "SELECT Caption, Version, BuildNumber, OSArchitecture, InstallDate FROM "
    "Win32_OperatingSystem";
constexpr const char* kLicensing =
    "SELECT LicenseStatus FROM SoftwareLicensingProduct WHERE "
    "ApplicationID='55c92734-d682-4d71-983e-d6ec3f16059f' AND PartialProductKey IS NOT NULL";
constexpr const char* kProcessor =
    "SELECT Name, NumberOfCores, NumberOfLogicalProcessors, MaxClockSpeed, L3CacheSize FROM "
    "Win32_Processor";
constexpr const char* kMemory =
    "SELECT Capacity, ConfiguredClockSpeed, Speed, Manufacturer, PartNumber, DeviceLocator, "
    "SMBIOSMemoryType FROM Win32_PhysicalMemory";
constexpr const char* kMemoryArray = "SELECT MemoryDevices FROM Win32_PhysicalMemoryArray";
constexpr const char* kVideo = "SELECT Name, DriverVersion, DriverDate FROM Win32_VideoController";
constexpr const char* kDisks =
    "SELECT DeviceId, FriendlyName, MediaType, BusType, Size, HealthStatus, __PATH FROM "
    "MSFT_PhysicalDisk";
constexpr const char* kPartitions = "SELECT DiskNumber, DriveLetter FROM MSFT_Partition";

std::vector<SectionKind> kinds(const Report& report) {
  std::vector<SectionKind> out;
  for (const Section& s : report.sections) out.push_back(s.kind);
  return out;
}

const Section* find(const Report& report, SectionKind kind) {
  for (const Section& s : report.sections) {
    if (s.kind == kind) return &s;
  }
  return nullptr;
}

std::vector<std::string> labels(const Section& section) {
  std::vector<std::string> out;
  for (const Row& r : section.rows) out.push_back(r.label);
  return out;
}

TEST(RunProbe, FullMachineInFixedOrder) {
  ScopedLanguageOverride en("en");
  RecordedMachine platform = full_machine();
  const Report report = run_probe(platform);

  EXPECT_EQ(report.title, "Acme Z15");
  EXPECT_EQ(report.subtitle, "Windows 11 Home 24H2");
  EXPECT_EQ(kinds(report),
            (std::vector<SectionKind>{SectionKind::Summary, SectionKind::Processor,
                                      SectionKind::Memory, SectionKind::Graphics,
                                      SectionKind::Storage, SectionKind::Displays,
                                      SectionKind::Battery, SectionKind::Windows,
                                      SectionKind::Security, SectionKind::System}));
  EXPECT_EQ(report.sections[0].title, "Summary");
  EXPECT_EQ(report.sections.back().title, "System");

  const Section& summary = report.sections[0];
  ASSERT_EQ(labels(summary),
            (std::vector<std::string>{"CPU", "Memory", "Graphics", "Storage", "Windows"}));
  EXPECT_EQ(summary.rows[0].value, "Acme R7");
  EXPECT_EQ(summary.rows[1].value, "16 GB DDR4 3200 MT/s");
  EXPECT_EQ(summary.rows[2].value, "Acme GPU A, Acme GPU B");
  EXPECT_EQ(summary.rows[3].value, "Disk One (NVMe SSD, 1 TB), Disk Two (HDD, 2 TB)");
  EXPECT_EQ(summary.rows[4].value, "Windows 11 Home 24H2");

  // Drive rows follow the disk rows in the same card.
  const Section* storage = find(report, SectionKind::Storage);
  ASSERT_NE(storage, nullptr);
  EXPECT_EQ(storage->rows.front().label, "Disk");
  EXPECT_TRUE(storage->rows.back().gauge.has_value());

  const Section* system = find(report, SectionKind::System);
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(labels(*system), (std::vector<std::string>{"Manufacturer", "Model", "Motherboard",
                                                        "BIOS", "Up for"}));
  EXPECT_EQ(system->rows.back().value, "1 d 1 h 1 min");

  // Every section has rows; one CIMV2 session and one storage session, each opened once.
  for (const Section& s : report.sections) EXPECT_FALSE(s.rows.empty());
  EXPECT_EQ(platform.connected(), (std::vector<std::string>{"ROOT\\CIMV2",
                                                            "ROOT\\Microsoft\\Windows\\Storage"}));
  // The run asks once whether it is elevated and opens CIMV2, then runs the steps one after the
  // other in their places: its reads are exactly the steps' own, step by step. Inside a step the
  // order is the step's business.
  RecordedMachine stepwise = full_machine();
  const bool admin = stepwise.is_admin();
  const std::unique_ptr<wmi::WmiSession> cimv2 = stepwise.connect(kCimv2);
  ProbeRun run{stepwise, cimv2.get(), admin};
  PcFacts facts;
  std::map<SectionKind, std::vector<std::string>> step_reads;
  for (const SectionEntry* step : step_order()) {
    const std::size_t before = stepwise.log.size();
    step->read(run, facts);
    step_reads[step->kind].assign(stepwise.log.begin() + static_cast<std::ptrdiff_t>(before),
                                  stepwise.log.end());
  }
  EXPECT_EQ(platform.log, stepwise.log);
  // Every read of the run is one the recorded machine answers, so none goes unnoticed.
  EXPECT_EQ(platform.unanswered, std::vector<std::string>{});
  // The exact texts a user's WMI receives, each in its own card's step.
  const std::string q = "query ";
  const std::string registry = "registry HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
  const std::map<SectionKind, std::vector<std::string>> pinned = {
      {SectionKind::System, {q + kComputer, q + kBoard, q + kBios, q + kProduct, "uptime"}},
      {SectionKind::Windows, {q + kOs, q + kLicensing, registry + "DisplayVersion", registry + "UBR"}},
      {SectionKind::Processor, {q + kProcessor}},
      {SectionKind::Memory, {q + kMemory, q + kMemoryArray}},
      {SectionKind::Graphics, {q + kVideo, "graphics_adapters"}},
      {SectionKind::Displays, {"display_config"}},
      {SectionKind::Storage, {"connect ROOT\\Microsoft\\Windows\\Storage", q + kDisks,
                              q + kPartitions, "logical_drive_mask", "is_fixed_drive C", "drive_space C"}},
      {SectionKind::Battery, {"batteries", "power_status"}},
      {SectionKind::Security, {"firmware_type", "tpm", "cpuid", registry + "SystemRoot"}},
  };
  for (const auto& [kind, reads] : pinned) {
    for (const std::string& read : reads) {
      EXPECT_EQ(std::count(step_reads[kind].begin(), step_reads[kind].end(), read), 1)
          << read << " in step " << static_cast<int>(kind);
    }
  }
}

// The steps run in their places, each once: a card whose step were left out would never be
// read, and two steps in one place would run in whichever order the registry lists them.
TEST(RunProbe, EveryStepRunsOnceInItsPlace) {
  std::vector<SectionKind> steps;
  for (const probe::SectionEntry* entry : probe::step_order()) steps.push_back(entry->kind);
  EXPECT_EQ(steps, (std::vector<SectionKind>{SectionKind::System, SectionKind::Windows,
                                             SectionKind::Processor, SectionKind::Memory,
                                             SectionKind::Graphics, SectionKind::Displays,
                                             SectionKind::Storage, SectionKind::Battery,
                                             SectionKind::Security}));
  std::vector<int> places;
  for (const probe::SectionEntry& entry : probe::section_registry()) {
    const auto order = probe::step_order();
    EXPECT_EQ(std::count(order.begin(), order.end(), &entry), entry.read != nullptr ? 1 : 0)
        << static_cast<int>(entry.kind);
    EXPECT_EQ(entry.step == probe::kNoStep, entry.read == nullptr) << static_cast<int>(entry.kind);
    if (entry.read != nullptr) places.push_back(entry.step);
  }
  std::sort(places.begin(), places.end());
  EXPECT_EQ(std::adjacent_find(places.begin(), places.end()), places.end());
}

TEST(RunProbe, WithoutWmi) {
  ScopedLanguageOverride en("en");
  RecordedMachine platform;  // nothing connects, nothing else answers
  platform.uptime_ms = 3 * 3600000 + 5 * 60000;
  const Report report = run_probe(platform);
  EXPECT_EQ(report.title, "This PC");
  EXPECT_EQ(report.subtitle, "");
  EXPECT_FALSE(report.needs_admin);
  EXPECT_EQ(kinds(report), (std::vector<SectionKind>{SectionKind::Summary, SectionKind::Memory,
                                                     SectionKind::System}));
  EXPECT_EQ(report.sections[0].rows, std::vector<Row>{Row::plain("Memory", "0 B")});
  EXPECT_EQ(report.sections[1].rows, std::vector<Row>{Row::plain("Installed", "0 B")});
  EXPECT_EQ(report.sections[2].rows, std::vector<Row>{Row::plain("Up for", "0 d 3 h 5 min")});
  EXPECT_TRUE(platform.sent().empty());
}

TEST(RunProbe, KoreanHeadingsAndTitle) {
  ScopedLanguageOverride ko("ko");
  RecordedMachine platform;
  const Report report = run_probe(platform);
  EXPECT_EQ(report.title, "이 PC");
  ASSERT_EQ(report.sections.size(), 3u);
  EXPECT_EQ(report.sections[0].title, "요약");
  EXPECT_EQ(report.sections[0].rows[0].label, "메모리");
  EXPECT_EQ(report.sections[2].title, "시스템");
}

// Each failing query takes away only the rows that depend on it.
TEST(RunProbe, OneFailingSourceRemovesOnlyItsRows) {
  ScopedLanguageOverride en("en");
  {
    RecordedMachine platform = full_machine();
    platform.forget(kCimv2, "Win32_Processor");
    const Report report = run_probe(platform);
    EXPECT_EQ(find(report, SectionKind::Processor), nullptr);
    EXPECT_EQ(report.sections.size(), 9u);
    EXPECT_EQ(labels(report.sections[0]),
              (std::vector<std::string>{"Memory", "Graphics", "Storage", "Windows"}));
  }
  {
    RecordedMachine platform = full_machine();
    platform.forget(kCimv2, "Win32_OperatingSystem");
    const Report report = run_probe(platform);
    EXPECT_EQ(report.subtitle, "");
    EXPECT_EQ(labels(report.sections[0]),
              (std::vector<std::string>{"CPU", "Memory", "Graphics", "Storage"}));
    const Section* windows = find(report, SectionKind::Windows);
    ASSERT_NE(windows, nullptr);
    EXPECT_EQ(labels(*windows), std::vector<std::string>{"Activation"});
  }
  {
    RecordedMachine platform = full_machine();
    platform.forget(kCimv2, "Win32_ComputerSystem");
    const Report report = run_probe(platform);
    EXPECT_EQ(report.title, "Acme Boards B450");
    const Section* system = find(report, SectionKind::System);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(labels(*system), (std::vector<std::string>{"Motherboard", "BIOS", "Up for"}));
    // The usable figure is gone, the modules still give the memory text.
    EXPECT_EQ(report.sections[0].rows[1].value, "16 GB DDR4 3200 MT/s");
  }
  {
    RecordedMachine platform = full_machine();
    std::erase(platform.namespaces, test::kStorage);
    const Report report = run_probe(platform);
    EXPECT_EQ(labels(report.sections[0]),
              (std::vector<std::string>{"CPU", "Memory", "Graphics", "Windows"}));
    const Section* storage = find(report, SectionKind::Storage);
    ASSERT_NE(storage, nullptr);  // the drive row remains
    EXPECT_EQ(storage->rows.size(), 1u);
  }
}

TEST(RunProbe, ProcessorWithoutNameKeepsAnEmptyCpuRow) {
  ScopedLanguageOverride en("en");
  RecordedMachine platform = full_machine();
  platform.record(kCimv2, "Win32_Processor", test::kProcessorProperties,
                  WmiRows{row({std::nullopt, "4", "4"})});
  const Report report = run_probe(platform);
  ASSERT_FALSE(report.sections[0].rows.empty());
  EXPECT_EQ(report.sections[0].rows[0], Row::plain("CPU", ""));
}

// Recorded answers with every odd form a provider might send: nothing crashes, every
// section that comes out has rows, and the texts stay sensible.
TEST(RunProbe, OddRecordedInputs) {
  ScopedLanguageOverride en("en");
  for (const wmi::WmiValue& v : test::odd_values()) {
    RecordedMachine platform = test::odd_machine(v);
    const Report report = run_probe(platform);
    const std::string what = v.value_or("<absent>");
    EXPECT_FALSE(report.title.empty()) << what;
    ASSERT_FALSE(report.sections.empty()) << what;
    EXPECT_EQ(report.sections[0].kind, SectionKind::Summary) << what;
    for (const Section& s : report.sections) EXPECT_FALSE(s.rows.empty()) << what;
    const Section* memory = find(report, SectionKind::Memory);
    ASSERT_NE(memory, nullptr) << what;
    // Three modules, one without a locator: numbered labels.
    EXPECT_EQ(memory->rows.back().label, "Module 3") << what;
  }
}

TEST(ProbeSlot, NewerReportReplacesOneNeverTaken) {
  ProbeSlot slot;
  EXPECT_FALSE(slot.take().has_value());
  slot.put({Report{"first", "", {}}});
  slot.put({Report{"second", "", {}}});
  const auto taken = slot.take();
  ASSERT_TRUE(taken.has_value() && taken->report.has_value());
  EXPECT_EQ(taken->report->title, "second");
  EXPECT_FALSE(slot.take().has_value());  // taking empties the slot
}

}  // namespace
}  // namespace kestro::probe

// Cost of building a whole report from recorded inputs: every rule of a probe run (title,
// rows, formatting, translation, assembly) without any platform call. The recorded machine
// answers every source: two memory modules, two adapters, two disks with reliability
// counters, two monitors, two drives and a battery.
#include <benchmark/benchmark.h>

#include "bench/alloc_counter.h"
#include "host/fake_platform.h"
#include "i18n/translate.h"
#include "probe/sections.h"

namespace {

using kestro::test::FakePlatform;
using kestro::test::FakeWmiSession;
using kestro::test::row;
using kestro::wmi::WmiRows;
using namespace kestro::probe;

FakePlatform recorded_machine() {
  FakePlatform platform;
  FakeWmiSession cimv2;
  cimv2.answers["SELECT Manufacturer, Model, TotalPhysicalMemory, PCSystemType FROM "
                "Win32_ComputerSystem"] = WmiRows{row({"Acme", "Acme Z15 Pro", "34054318592", "2"})};
  cimv2.answers["SELECT Manufacturer, Product FROM Win32_BaseBoard"] =
      WmiRows{row({"Acme Boards", "B450"})};
  cimv2.answers["SELECT SMBIOSBIOSVersion, ReleaseDate, Manufacturer FROM Win32_BIOS"] =
      WmiRows{row({"1.21.0", "20230412000000.000000+000", "Acme"})};
  cimv2.answers["SELECT Caption, Version, BuildNumber, OSArchitecture, InstallDate FROM "
                "Win32_OperatingSystem"] =
      WmiRows{row({"Microsoft Windows 11 Home", "10.0.26100", "26100", "64-bit",
                   "20241102093012.000000+540"})};
  cimv2.answers["SELECT LicenseStatus FROM SoftwareLicensingProduct WHERE "
                "ApplicationID='55c92734-d682-4d71-983e-d6ec3f16059f' AND PartialProductKey IS "
                "NOT NULL"] = WmiRows{row({"0"}), row({"5"}), row({"1"})};
  cimv2.answers["SELECT Name, NumberOfCores, NumberOfLogicalProcessors, MaxClockSpeed, "
                "L3CacheSize FROM Win32_Processor"] =
      WmiRows{row({"AMD Ryzen 7  7840HS w/ Radeon 780M Graphics  ", "8", "16", "3801", "16384"})};
  cimv2.answers["SELECT Capacity, ConfiguredClockSpeed, Speed, Manufacturer, PartNumber, "
                "DeviceLocator, SMBIOSMemoryType FROM Win32_PhysicalMemory"] =
      WmiRows{row({"17179869184", "5600", "5600", "Samsung", "M425R2GA3BB0-CWMOD", "DIMM A", "34"}),
              row({"17179869184", "5600", "5600", "Samsung", "M425R2GA3BB0-CWMOD", "DIMM B", "34"})};
  cimv2.answers["SELECT MemoryDevices FROM Win32_PhysicalMemoryArray"] = WmiRows{row({"2"})};
  cimv2.answers["SELECT Name, DriverVersion, DriverDate FROM Win32_VideoController"] =
      WmiRows{row({"Acme Radeon 780M", "31.0.21001.45002", "20230608000000.000000-000"}),
              row({"Acme GeForce RTX 4060 Laptop GPU", "32.0.15.6094", "20240828000000.000000-000"})};
  platform.namespaces.emplace("ROOT\\CIMV2", cimv2);

  FakeWmiSession storage;
  storage.answers["SELECT DeviceId, FriendlyName, MediaType, BusType, Size, HealthStatus, __PATH "
                  "FROM MSFT_PhysicalDisk"] =
      WmiRows{row({"0", "Samsung SSD 990 PRO 2TB", "4", "17", "2000398934016", "0", "\\\\PC\\disk0"}),
              row({"1", "WDC WD40EFRX", "3", "11", "4000787030016", "1", "\\\\PC\\disk1"})};
  storage.answers["ASSOCIATORS OF {\\\\PC\\disk0} WHERE ResultClass = "
                  "MSFT_StorageReliabilityCounter"] = WmiRows{row({"41", "3", "5120"})};
  storage.answers["ASSOCIATORS OF {\\\\PC\\disk1} WHERE ResultClass = "
                  "MSFT_StorageReliabilityCounter"] = WmiRows{row({"35", std::nullopt, "30210"})};
  platform.namespaces.emplace("ROOT\\Microsoft\\Windows\\Storage", storage);

  platform.admin = true;
  platform.version = VersionValues{"24H2", 2605};
  platform.uptime_ms = 90061000;
  platform.adapters = {GraphicsAdapter{"Acme GeForce RTX 4060 Laptop GPU", 8585740288, 0},
                       GraphicsAdapter{"Acme Radeon 780M", 536870912, 0},
                       GraphicsAdapter{"Microsoft Basic Render Driver", 0, 2}};
  platform.displays = DisplayConfig{
      {DisplayPath{0, 143856, 1000, "Acme 27Q"}, DisplayPath{1, 60000, 1000, std::nullopt}},
      {DisplayMode{1, 2560, 1440}, DisplayMode{1, 1920, 1200}}};
  platform.drive_mask = (1u << 2) | (1u << 3);
  platform.fixed['C'] = true;
  platform.fixed['D'] = true;
  platform.spaces['C'] = DriveSpace{2000398934016, 811000000000};
  platform.spaces['D'] = DriveSpace{4000787030016, 3100000000000};
  platform.battery_list = {BatteryInfo{"Acme Cell 5", 0, 75000, 68120, 212}};
  platform.power = PowerStatus{1, 87};
  return platform;
}

void run_report(benchmark::State& state, std::string_view language) {
  const kestro::ScopedLanguageOverride override_language(language);
  FakePlatform platform = recorded_machine();
  std::size_t rows = 0;
  for (const kestro::Section& s : run_probe(platform).sections) rows += s.rows.size();
  const std::size_t before = kestro_bench_allocations();
  for (auto _ : state) benchmark::DoNotOptimize(run_probe(platform));
  const std::size_t after = kestro_bench_allocations();
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["allocs_per_report"] = benchmark::Counter(
      static_cast<double>(after - before) / static_cast<double>(state.iterations()));
}

void BM_ReportFromRecordedInputs_English(benchmark::State& state) { run_report(state, "en"); }
BENCHMARK(BM_ReportFromRecordedInputs_English);

void BM_ReportFromRecordedInputs_German(benchmark::State& state) { run_report(state, "de"); }
BENCHMARK(BM_ReportFromRecordedInputs_German);

}  // namespace

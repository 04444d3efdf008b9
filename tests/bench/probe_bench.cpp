// Cost of building a whole report from recorded inputs: every rule of a probe run (title,
// rows, formatting, translation, assembly) without any platform call. The recorded machine
// answers every source: two memory modules, two adapters, two disks with reliability
// counters and partitions, two monitors, two drives and a battery.
#include <benchmark/benchmark.h>

#include "bench/alloc_counter.h"
#include "i18n/translate.h"
#include "machine/test_machines.h"
#include "probe/run_probe.h"
#include "probe/section_registry.h"

namespace {

using kestro::test::kCimv2;
using kestro::test::kStorage;
using kestro::test::RecordedMachine;
using kestro::test::row;
using kestro::wmi::WmiRows;
using namespace kestro::probe;
namespace test = kestro::test;

RecordedMachine recorded_machine() {
  RecordedMachine machine;
  machine.record(kCimv2, "Win32_ComputerSystem", test::kComputerProperties,
                 WmiRows{row({"Acme", "Acme Z15 Pro", "34054318592", "2"})});
  machine.record(kCimv2, "Win32_BaseBoard", test::kBoardProperties,
                 WmiRows{row({"Acme Boards", "B450"})});
  machine.record(kCimv2, "Win32_BIOS", test::kBiosProperties,
                 WmiRows{row({"1.21.0", "20230412000000.000000+000", "Acme"})});
  machine.record(kCimv2, "Win32_OperatingSystem", test::kOsProperties,
                 WmiRows{row({"Microsoft Windows 11 Home", "10.0.26100", "26100", "64-bit",
                              "20241102093012.000000+540"})});
  machine.record(kCimv2, "SoftwareLicensingProduct", test::kLicensingProperties,
                 WmiRows{row({"0"}), row({"5"}), row({"1"})}, test::kLicensingCondition);
  machine.record(kCimv2, "Win32_Processor", test::kProcessorProperties,
                 WmiRows{row({"AMD Ryzen 7  7840HS w/ Radeon 780M Graphics  ", "8", "16", "3801",
                              "16384"})});
  machine.record(
      kCimv2, "Win32_PhysicalMemory", test::kMemoryProperties,
      WmiRows{row({"17179869184", "5600", "5600", "Samsung", "M425R2GA3BB0-CWMOD", "DIMM A", "34"}),
              row({"17179869184", "5600", "5600", "Samsung", "M425R2GA3BB0-CWMOD", "DIMM B", "34"})});
  machine.record(kCimv2, "Win32_PhysicalMemoryArray", test::kArrayProperties, WmiRows{row({"2"})});
  machine.record(
      kCimv2, "Win32_VideoController", test::kControllerProperties,
      WmiRows{row({"Acme Radeon 780M", "31.0.21001.45002", "20230608000000.000000-000"}),
              row({"Acme GeForce RTX 4060 Laptop GPU", "32.0.15.6094", "20240828000000.000000-000"})});

  machine.record(
      kStorage, "MSFT_PhysicalDisk", test::kDiskProperties,
      WmiRows{row({"0", "Samsung SSD 990 PRO 2TB", "4", "17", "2000398934016", "0", "\\\\PC\\disk0"}),
              row({"1", "WDC WD40EFRX", "3", "11", "4000787030016", "1", "\\\\PC\\disk1"})});
  machine.record_associators(kStorage, "\\\\PC\\disk0", "MSFT_StorageReliabilityCounter",
                             test::kReliabilityProperties, WmiRows{row({"41", "3", "5120", "0", "0"})});
  machine.record_associators(kStorage, "\\\\PC\\disk1", "MSFT_StorageReliabilityCounter",
                             test::kReliabilityProperties,
                             WmiRows{row({"35", std::nullopt, "30210", "4", "0"})});
  machine.record(kStorage, "MSFT_Partition", test::kPartitionProperties,
                 WmiRows{row({"0", "0"}), row({"0", "67"}), row({"1", "68"})});

  machine.admin = true;
  test::record_version(machine, "24H2", 2605);
  machine.uptime_ms = 90061000;
  machine.adapters = {GraphicsAdapter{"Acme GeForce RTX 4060 Laptop GPU", 8585740288, 0},
                      GraphicsAdapter{"Acme Radeon 780M", 536870912, 0},
                      GraphicsAdapter{"Microsoft Basic Render Driver", 0, 2}};
  machine.displays = DisplayConfig{
      {DisplayPath{0, 143856, 1000, "Acme 27Q"}, DisplayPath{1, 60000, 1000, std::nullopt}},
      {DisplayMode{1, 2560, 1440}, DisplayMode{1, 1920, 1200}}};
  machine.drive_mask = (1u << 2) | (1u << 3);
  machine.fixed['C'] = true;
  machine.fixed['D'] = true;
  machine.spaces['C'] = DriveSpace{2000398934016, 811000000000};
  machine.spaces['D'] = DriveSpace{4000787030016, 3100000000000};
  machine.battery_list = {BatteryInfo{"Acme Cell 5", 0, 75000, 68120, 212}};
  machine.power = PowerStatus{1, 87};
  machine.firmware = 2;
  machine.tpm_answer = {0, 2};
  machine.cpu_id = CpuIdAnswer{"AuthenticAMD", 0x00A70F41, 1u << 20 | 1u << 23};
  machine.set_registry(RegistryHive::LocalMachine, test::kSecureBootStateKey, "UEFISecureBootEnabled", 1u);
  machine.set_registry(RegistryHive::LocalMachine, test::kSecureBootServicingKey, "UEFICA2023Status", "Updated");
  machine.set_registry(RegistryHive::LocalMachine, test::kCurrentVersionKey, "SystemRoot", "C:\\WINDOWS");
  return machine;
}

void run_report(benchmark::State& state, std::string_view language) {
  const kestro::ScopedLanguageOverride override_language(language);
  RecordedMachine platform = recorded_machine();
  std::size_t rows = 0;
  for (const kestro::Section& s : run_probe(platform).sections) rows += s.rows.size();
  const std::size_t before = kestro_bench_allocations();
  for (auto _ : state) {
    platform.log.clear();  // the request log would otherwise grow with every iteration
    benchmark::DoNotOptimize(run_probe(platform));
  }
  const std::size_t after = kestro_bench_allocations();
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["allocs_per_report"] = benchmark::Counter(
      static_cast<double>(after - before) / static_cast<double>(state.iterations()));
}

void BM_ReportFromRecordedInputs_English(benchmark::State& state) { run_report(state, "en"); }
BENCHMARK(BM_ReportFromRecordedInputs_English);

void BM_ReportFromRecordedInputs_German(benchmark::State& state) { run_report(state, "de"); }
BENCHMARK(BM_ReportFromRecordedInputs_German);

// The Security card's own cost on a Windows 10 PC: its reads from the recorded answers, the
// Windows 11 verdict over the other cards' facts, and its rows.
void BM_SecurityStep(benchmark::State& state) {
  const kestro::ScopedLanguageOverride english("en");
  RecordedMachine platform = recorded_machine();
  platform.find(kCimv2, "Win32_OperatingSystem")->objects[0][2].second = "19045";
  PcFacts facts = probe_facts(platform);
  for (auto _ : state) {
    platform.log.clear();
    facts.security = read_security(platform);
    benchmark::DoNotOptimize(security_rows(facts.security, windows11_verdict_of(facts)));
  }
}
BENCHMARK(BM_SecurityStep);

}  // namespace

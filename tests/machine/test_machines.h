#pragma once
// Hand-made machines for probe-run tests and the pipeline fuzzer's seeds: one on which every
// source answers, and one whose every CIMV2 value is odd; and the properties the probe reads
// of each class, in the order it asks for them.

#include <string>
#include <vector>

#include "machine/recorded_machine.h"

namespace kestro::test {

using Properties = std::vector<std::string>;
inline const Properties kComputerProperties = {"Manufacturer", "Model", "TotalPhysicalMemory",
                                               "PCSystemType"};
inline const Properties kBoardProperties = {"Manufacturer", "Product"};
inline const Properties kBiosProperties = {"SMBIOSBIOSVersion", "ReleaseDate", "Manufacturer"};
inline const Properties kProductProperties = {"Version"};
inline const Properties kOsProperties = {"Caption", "Version", "BuildNumber", "OSArchitecture",
                                         "InstallDate"};
inline const Properties kLicensingProperties = {"LicenseStatus"};
inline constexpr std::string_view kLicensingCondition =
    "ApplicationID='55c92734-d682-4d71-983e-d6ec3f16059f' AND PartialProductKey IS NOT NULL";
inline const Properties kProcessorProperties = {"Name", "NumberOfCores",
                                                "NumberOfLogicalProcessors", "MaxClockSpeed",
                                                "L3CacheSize"};
inline const Properties kMemoryProperties = {"Capacity",     "ConfiguredClockSpeed", "Speed",
                                             "Manufacturer", "PartNumber",           "DeviceLocator",
                                             "SMBIOSMemoryType"};
inline const Properties kArrayProperties = {"MemoryDevices"};
inline const Properties kControllerProperties = {"Name", "DriverVersion", "DriverDate"};
inline const Properties kDiskProperties = {"DeviceId", "FriendlyName", "MediaType", "BusType",
                                           "Size",     "HealthStatus", "__PATH"};
inline const Properties kReliabilityProperties = {"Temperature", "Wear", "PowerOnHours",
                                                  "ReadErrorsUncorrected", "WriteErrorsUncorrected"};
inline const Properties kPartitionProperties = {"DiskNumber", "DriveLetter"};
inline constexpr std::string_view kCurrentVersionKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
inline constexpr std::string_view kSecureBootStateKey =
    "SYSTEM\\CurrentControlSet\\Control\\SecureBoot\\State";
inline constexpr std::string_view kSecureBootServicingKey =
    "SYSTEM\\CurrentControlSet\\Control\\SecureBoot\\Servicing";
inline constexpr std::string_view kProcessorKey = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

// Records the feature version and update revision the Windows card reads.
inline void record_version(RecordedMachine& machine, std::string display_version,
                           std::optional<std::uint32_t> ubr) {
  machine.set_registry(probe::RegistryHive::LocalMachine, kCurrentVersionKey, "DisplayVersion",
                       std::move(display_version));
  if (ubr) machine.set_registry(probe::RegistryHive::LocalMachine, kCurrentVersionKey, "UBR", *ubr);
}

// A machine on which every source answers.
inline RecordedMachine full_machine() {
  using wmi::WmiRows;
  RecordedMachine machine;
  machine.record(kCimv2, "Win32_ComputerSystem", kComputerProperties,
                 WmiRows{row({"Acme", "Z15", "17054318592", "2"})});
  machine.record(kCimv2, "Win32_BaseBoard", kBoardProperties, WmiRows{row({"Acme Boards", "B450"})});
  machine.record(kCimv2, "Win32_BIOS", kBiosProperties,
                 WmiRows{row({"1.21.0", "20230412000000.000000+000", "Acme"})});
  machine.record(kCimv2, "Win32_OperatingSystem", kOsProperties,
                 WmiRows{row({"Microsoft Windows 11 Home", "10.0.26100", "26100", "64-bit",
                              "20241102093012.000000+540"})});
  machine.record(kCimv2, "SoftwareLicensingProduct", kLicensingProperties, WmiRows{row({"1"})},
                 kLicensingCondition);
  machine.record(kCimv2, "Win32_Processor", kProcessorProperties,
                 WmiRows{row({"Acme  R7", "8", "16", "3801", "32768"})});
  machine.record(kCimv2, "Win32_PhysicalMemory", kMemoryProperties,
                 WmiRows{row({"8589934592", "3200", "3200", "Acme", "AC8G", "A0", "26"}),
                         row({"8589934592", "3200", "3200", "Acme", "AC8G", "B0", "26"})});
  machine.record(kCimv2, "Win32_PhysicalMemoryArray", kArrayProperties, WmiRows{row({"4"})});

  machine.record(kStorage, "MSFT_PhysicalDisk", kDiskProperties,
                 WmiRows{row({"0", "Disk One", "4", "17", "1000204886016", "0", std::nullopt}),
                         row({"1", "Disk Two", "3", "11", "2000398934016", "0", std::nullopt})});
  machine.record(kStorage, "MSFT_Partition", kPartitionProperties,
                 WmiRows{row({"0", "0"}), row({"0", "67"})});  // a recovery partition, then C:

  record_version(machine, "24H2", 2605);
  machine.uptime_ms = 90061000;
  machine.adapters = {{"Acme GPU A", 0, 0}, {"Acme GPU B", 0, 0}};
  machine.displays = probe::DisplayConfig{{{0, 60, 1, "Screen"}}, {{1, 1920, 1080}}};
  machine.drive_mask = 1u << 2;  // C:
  machine.fixed['C'] = true;
  machine.spaces['C'] = probe::DriveSpace{1000000000000, 500000000000};
  machine.battery_list = {{"Cell", 1, 50000, 45000, 100}};
  machine.power = probe::PowerStatus{1, 80};
  machine.firmware = 2;  // UEFI
  machine.tpm_answer = {0, 2};
  machine.cpu_id = probe::CpuIdAnswer{"AuthenticAMD", 0x00A20F10, 1u << 20 | 1u << 23};
  machine.set_registry(probe::RegistryHive::LocalMachine, kSecureBootStateKey, "UEFISecureBootEnabled", 1u);
  machine.set_registry(probe::RegistryHive::LocalMachine, kSecureBootServicingKey, "UEFICA2023Status", "Updated");
  machine.set_registry(probe::RegistryHive::LocalMachine, kCurrentVersionKey, "SystemRoot", "C:\\WINDOWS");
  machine.set_registry(probe::RegistryHive::LocalMachine, kCurrentVersionKey, "EditionID", "Core");
  machine.set_registry(probe::RegistryHive::LocalMachine, kCurrentVersionKey, "InstallationType", "Client");
  machine.set_registry(probe::RegistryHive::LocalMachine, kProcessorKey, "Platform Specific Field 1", 2u);
  machine.record(kCimv2, "Win32_ComputerSystemProduct", kProductProperties, WmiRows{row({"Z15 Gen 1"})});
  machine.record(kCimv2, "Win32_VideoController", kControllerProperties, WmiRows{});
  return machine;
}

// Forms a provider might send in place of a real value.
inline std::vector<wmi::WmiValue> odd_values() {
  return {std::nullopt, "", "   ", "-5", "1e30", "nan", "inf", "abc", "2O23", "\xFF\xFE"};
}

// Every CIMV2 value is `v`; some rows are short or lack a locator. Nothing else answers
// except an uptime at the largest count.
inline RecordedMachine odd_machine(const wmi::WmiValue& v) {
  using wmi::WmiRows;
  RecordedMachine machine;
  machine.record(kCimv2, "Win32_ComputerSystem", kComputerProperties, WmiRows{row({v, v, v, v})});
  machine.record(kCimv2, "Win32_BaseBoard", kBoardProperties, WmiRows{row({v, v})});
  machine.record(kCimv2, "Win32_BIOS", kBiosProperties, WmiRows{row({v, v, v})});
  machine.record(kCimv2, "Win32_OperatingSystem", kOsProperties, WmiRows{row({v, v, v, v, v})});
  machine.record(kCimv2, "SoftwareLicensingProduct", kLicensingProperties,
                 WmiRows{row({v}), row({v})}, kLicensingCondition);
  machine.record(kCimv2, "Win32_Processor", kProcessorProperties,
                 WmiRows{row({v, v, v, v, v}), row({})});
  machine.record(kCimv2, "Win32_PhysicalMemory", kMemoryProperties,
                 WmiRows{row({v, v, v, v, v, v, v}), row({v, v, v, v, v, v, v}),
                         row({v, v, v, v, v, std::nullopt, v})});
  machine.record(kCimv2, "Win32_PhysicalMemoryArray", kArrayProperties,
                 WmiRows{row({v}), row({v})});
  machine.uptime_ms = 18446744073709551615u;
  return machine;
}

}  // namespace kestro::test

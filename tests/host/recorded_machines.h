#pragma once
// Recorded machines for probe-run tests and the pipeline fuzzer's seeds: the WQL texts the run
// sends, a machine on which every source answers, and one whose every CIMV2 value is odd.

#include <vector>

#include "host/fake_platform.h"

namespace kestro::test {

inline constexpr const char* kComputer =
    "SELECT Manufacturer, Model, TotalPhysicalMemory, PCSystemType FROM Win32_ComputerSystem";
inline constexpr const char* kBoard = "SELECT Manufacturer, Product FROM Win32_BaseBoard";
inline constexpr const char* kBios =
    "SELECT SMBIOSBIOSVersion, ReleaseDate, Manufacturer FROM Win32_BIOS";
inline constexpr const char* kProduct = "SELECT Version FROM Win32_ComputerSystemProduct";
inline constexpr const char* kOs =
    "SELECT Caption, Version, BuildNumber, OSArchitecture, InstallDate FROM "
    "Win32_OperatingSystem";
inline constexpr const char* kLicensing =
    "SELECT LicenseStatus FROM SoftwareLicensingProduct WHERE "
    "ApplicationID='55c92734-d682-4d71-983e-d6ec3f16059f' AND PartialProductKey IS NOT NULL";
inline constexpr const char* kProcessor =
    "SELECT Name, NumberOfCores, NumberOfLogicalProcessors, MaxClockSpeed, L3CacheSize FROM "
    "Win32_Processor";
inline constexpr const char* kMemory =
    "SELECT Capacity, ConfiguredClockSpeed, Speed, Manufacturer, PartNumber, DeviceLocator, "
    "SMBIOSMemoryType FROM Win32_PhysicalMemory";
inline constexpr const char* kMemoryArray = "SELECT MemoryDevices FROM Win32_PhysicalMemoryArray";
inline constexpr const char* kDisks =
    "SELECT DeviceId, FriendlyName, MediaType, BusType, Size, HealthStatus, __PATH FROM "
    "MSFT_PhysicalDisk";

// A machine on which every source answers.
inline FakePlatform full_machine() {
  using probe::BatteryInfo;
  using probe::DisplayConfig;
  using probe::DisplayMode;
  using probe::DisplayPath;
  using probe::DriveSpace;
  using probe::GraphicsAdapter;
  using probe::PowerStatus;
  using probe::VersionValues;
  using wmi::WmiRows;

  FakePlatform platform;
  FakeWmiSession cimv2;
  cimv2.answers[kComputer] = WmiRows{row({"Acme", "Z15", "17054318592", "2"})};
  cimv2.answers[kBoard] = WmiRows{row({"Acme Boards", "B450"})};
  cimv2.answers[kBios] = WmiRows{row({"1.21.0", "20230412000000.000000+000", "Acme"})};
  cimv2.answers[kOs] = WmiRows{row({"Microsoft Windows 11 Home", "10.0.26100", "26100",
                                    "64-bit", "20241102093012.000000+540"})};
  cimv2.answers[kLicensing] = WmiRows{row({"1"})};
  cimv2.answers[kProcessor] = WmiRows{row({"Acme  R7", "8", "16", "3801", "32768"})};
  cimv2.answers[kMemory] = WmiRows{
      row({"8589934592", "3200", "3200", "Acme", "AC8G", "A0", "26"}),
      row({"8589934592", "3200", "3200", "Acme", "AC8G", "B0", "26"})};
  cimv2.answers[kMemoryArray] = WmiRows{row({"4"})};
  platform.namespaces.emplace("ROOT\\CIMV2", cimv2);

  FakeWmiSession storage;
  storage.answers[kDisks] =
      WmiRows{row({"0", "Disk One", "4", "17", "1000204886016", "0", std::nullopt}),
              row({"1", "Disk Two", "3", "11", "2000398934016", "0", std::nullopt})};
  platform.namespaces.emplace("ROOT\\Microsoft\\Windows\\Storage", storage);

  platform.version = VersionValues{"24H2", 2605};
  platform.uptime_ms = 90061000;
  platform.adapters = {GraphicsAdapter{"Acme GPU A", 0, 0}, GraphicsAdapter{"Acme GPU B", 0, 0}};
  platform.displays = DisplayConfig{{DisplayPath{0, 60, 1, "Screen"}}, {DisplayMode{1, 1920, 1080}}};
  platform.drive_mask = 1u << 2;  // C:
  platform.fixed['C'] = true;
  platform.spaces['C'] = DriveSpace{1000000000000, 500000000000};
  platform.battery_list = {BatteryInfo{"Cell", 1, 50000, 45000, 100}};
  platform.power = PowerStatus{1, 80};
  return platform;
}

// Forms a provider might send in place of a real value.
inline std::vector<wmi::WmiValue> odd_values() {
  return {std::nullopt, "", "   ", "-5", "1e30", "nan", "inf", "abc", "2O23", "\xFF\xFE"};
}

// Every CIMV2 value is `v`; some rows are short or lack a locator. Nothing else answers
// except an uptime at the largest count.
inline FakePlatform odd_machine(const wmi::WmiValue& v) {
  using wmi::WmiRows;
  FakePlatform platform;
  FakeWmiSession cimv2;
  cimv2.answers[kComputer] = WmiRows{row({v, v, v, v})};
  cimv2.answers[kBoard] = WmiRows{row({v, v})};
  cimv2.answers[kBios] = WmiRows{row({v, v, v})};
  cimv2.answers[kOs] = WmiRows{row({v, v, v, v, v})};
  cimv2.answers[kLicensing] = WmiRows{row({v}), row({v})};
  cimv2.answers[kProcessor] = WmiRows{row({v, v, v, v, v}), row({})};
  cimv2.answers[kMemory] = WmiRows{row({v, v, v, v, v, v, v}), row({v, v, v, v, v, v, v}),
                                   row({v, v, v, v, v, std::nullopt, v})};
  cimv2.answers[kMemoryArray] = WmiRows{row({v}), row({v})};
  platform.namespaces.emplace("ROOT\\CIMV2", cimv2);
  platform.uptime_ms = 18446744073709551615u;
  return platform;
}

}  // namespace kestro::test

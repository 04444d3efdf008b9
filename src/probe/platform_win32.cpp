#include "probe/platform_win32.h"

#include <windows.h>
#include <objbase.h>
#include <setupapi.h>
#include <shlobj.h>
#include <dxgi.h>
#include <wrl/client.h>

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/fresh_sizes.h"
#include "base/handles_win32.h"
#include "base/registry_win32.h"
#include "base/system_library_win32.h"
#include "base/trace_win32.h"
#include "base/utf16_win32.h"
#include "probe/security_win32.h"
#include "wmi/wmi_com_win32.h"

namespace kestro::probe {
namespace {

using Microsoft::WRL::ComPtr;

// The battery class driver's interface and I/O controls, as the battery class defines them
// (MinGW ships them only in driver-kit headers).
constexpr GUID kBatteryInterfaceClass = {
    0x72631e54, 0x78a4, 0x11d0, {0xbc, 0xf7, 0x00, 0xaa, 0x00, 0xb7, 0xb3, 0x2a}};
constexpr DWORD kIoctlBatteryQueryTag = 0x294040;
constexpr DWORD kIoctlBatteryQueryInformation = 0x294044;
constexpr std::int32_t kBatteryInformationLevel = 0;
constexpr std::int32_t kBatteryDeviceNameLevel = 4;
constexpr DWORD kMaxBatteries = 8;
constexpr std::size_t kBatteryNameBytes = 256;

struct BatteryQueryInformation {
  ULONG battery_tag;
  std::int32_t information_level;
  LONG at_rate;
};
static_assert(sizeof(BatteryQueryInformation) == 12);

struct BatteryInformationRecord {
  ULONG capabilities;
  UCHAR technology;
  UCHAR reserved[3];
  UCHAR chemistry[4];
  ULONG designed_capacity;
  ULONG full_charged_capacity;
  ULONG default_alert1;
  ULONG default_alert2;
  ULONG critical_bias;
  ULONG cycle_count;
};
static_assert(sizeof(BatteryInformationRecord) == 36);
static_assert(offsetof(BatteryInformationRecord, designed_capacity) == 12);
static_assert(offsetof(BatteryInformationRecord, cycle_count) == 32);

static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 32);
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) == 8);
static_assert(sizeof(DISPLAYCONFIG_TARGET_DEVICE_NAME) == 420);

using DeviceInfoSet = ScopedOwner<HDEVINFO, SetupDiDestroyDeviceInfoList>;

// A read that failed: traced with the thread's last error; the probe goes on without it.
std::nullopt_t traced_nothing(std::string_view what) {
  trace_failure(what, HRESULT_FROM_WIN32(GetLastError()));
  return std::nullopt;
}

std::wstring drive_root(char letter) {
  return std::wstring{static_cast<wchar_t>(letter), L':', L'\\'};
}

// One battery device: its tag, its information record and its name. Nothing when the device
// cannot be opened or does not answer its tag or information.
std::optional<BatteryInfo> read_battery(const wchar_t* device_path) {
  const UniqueHandle device(CreateFileW(device_path, GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!device.valid()) return traced_nothing("Opening a battery");

  ULONG wait = 0;
  ULONG tag = 0;
  DWORD returned = 0;
  if (!DeviceIoControl(device.get(), kIoctlBatteryQueryTag, &wait, sizeof(wait), &tag, sizeof(tag),
                       &returned, nullptr)) {
    return traced_nothing("IOCTL_BATTERY_QUERY_TAG");
  }
  if (tag == 0) return std::nullopt;  // no battery in that bay

  BatteryQueryInformation query{tag, kBatteryInformationLevel, 0};
  BatteryInformationRecord record{};
  if (!DeviceIoControl(device.get(), kIoctlBatteryQueryInformation, &query, sizeof(query), &record,
                       sizeof(record), &returned, nullptr)) {
    return traced_nothing("IOCTL_BATTERY_QUERY_INFORMATION");
  }

  BatteryInfo info;
  info.capabilities = record.capabilities;
  info.designed_capacity = record.designed_capacity;
  info.full_charged_capacity = record.full_charged_capacity;
  info.cycle_count = record.cycle_count;

  query.information_level = kBatteryDeviceNameLevel;
  std::array<wchar_t, kBatteryNameBytes / sizeof(wchar_t)> name{};
  if (DeviceIoControl(device.get(), kIoctlBatteryQueryInformation, &query, sizeof(query),
                      name.data(), kBatteryNameBytes, &returned, nullptr)) {
    info.name = from_wide_up_to_nul(name.data(), name.size());
  } else {
    (void)traced_nothing("IOCTL_BATTERY_QUERY_INFORMATION for the name");
  }
  return info;
}

}  // namespace

bool WindowsProbePlatform::is_admin() { return IsUserAnAdmin() != 0; }

std::uint64_t WindowsProbePlatform::milliseconds_since_boot() { return GetTickCount64(); }

std::optional<Date> WindowsProbePlatform::local_date() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return Date{now.wYear, static_cast<std::uint8_t>(now.wMonth), static_cast<std::uint8_t>(now.wDay)};
}

std::unique_ptr<wmi::WmiSession> WindowsProbePlatform::connect(std::string_view wmi_namespace) {
  return wmi::connect_wmi(wmi_namespace, budget_);
}

std::optional<RegistryValue> WindowsProbePlatform::registry_value(RegistryHive hive,
                                                                  std::string_view path,
                                                                  std::string_view name) {
  const HKEY root = hive == RegistryHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  // Each read is restricted to its type, so at most one of them finds the value.
  if (std::optional<std::string> text = read_registry_text(root, path, name)) {
    return RegistryValue(std::move(*text));
  }
  if (const std::optional<std::uint32_t> number = read_registry_dword(root, path, name)) {
    return RegistryValue(*number);
  }
  return std::nullopt;
}

std::vector<GraphicsAdapter> WindowsProbePlatform::graphics_adapters() {
  std::vector<GraphicsAdapter> adapters;
  static const SystemFunction<HRESULT, REFIID, void**> create_factory(
      L"dxgi.dll", "CreateDXGIFactory1", E_NOTIMPL);
  ComPtr<IDXGIFactory1> factory;
  const HRESULT created =
      create_factory(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(factory.GetAddressOf()));
  if (FAILED(created) || !factory) {
    trace_failure("CreateDXGIFactory1", created);
    return adapters;
  }
  for (UINT index = 0;; ++index) {
    ComPtr<IDXGIAdapter1> adapter;
    const HRESULT found = factory->EnumAdapters1(index, adapter.GetAddressOf());
    if (found == DXGI_ERROR_NOT_FOUND) break;  // past the last adapter
    if (FAILED(found) || !adapter) {
      trace_failure("IDXGIFactory1::EnumAdapters1", found);
      break;
    }
    DXGI_ADAPTER_DESC1 desc{};
    if (const HRESULT described = adapter->GetDesc1(&desc); FAILED(described)) {
      trace_failure("IDXGIAdapter1::GetDesc1", described);
      continue;
    }
    adapters.push_back(GraphicsAdapter{
        from_wide_up_to_nul(desc.Description, std::size(desc.Description)),
        static_cast<std::uint64_t>(desc.DedicatedVideoMemory), desc.Flags});
  }
  return adapters;
}

std::optional<DisplayConfig> WindowsProbePlatform::display_config() {
  std::vector<DISPLAYCONFIG_PATH_INFO> paths;
  std::vector<DISPLAYCONFIG_MODE_INFO> modes;
  LONG status = ERROR_SUCCESS;
  const Filled filled = fill_with_fresh_sizes([&] {
    UINT32 path_count = 0;
    UINT32 mode_count = 0;
    status = GetDisplayConfigBufferSizes(QDC_ONLY_ACTIVE_PATHS, &path_count, &mode_count);
    if (status != ERROR_SUCCESS) return Filled::Failed;
    paths.assign(path_count, DISPLAYCONFIG_PATH_INFO{});
    modes.assign(mode_count, DISPLAYCONFIG_MODE_INFO{});
    status = QueryDisplayConfig(QDC_ONLY_ACTIVE_PATHS, &path_count, paths.data(), &mode_count,
                                modes.data(), nullptr);
    if (status == ERROR_INSUFFICIENT_BUFFER) return Filled::TooSmall;
    if (status != ERROR_SUCCESS) return Filled::Failed;
    // The counts now hold the records actually filled in.
    paths.resize(std::min<std::size_t>(path_count, paths.size()));
    modes.resize(std::min<std::size_t>(mode_count, modes.size()));
    return Filled::Done;
  });
  if (filled != Filled::Done) {
    trace_failure("QueryDisplayConfig", HRESULT_FROM_WIN32(status));
    return std::nullopt;
  }

  DisplayConfig config;
  for (const DISPLAYCONFIG_PATH_INFO& path : paths) {
    DisplayPath record;
    record.source_mode_index = path.sourceInfo.modeInfoIdx;
    record.refresh_numerator = path.targetInfo.refreshRate.Numerator;
    record.refresh_denominator = path.targetInfo.refreshRate.Denominator;
    DISPLAYCONFIG_TARGET_DEVICE_NAME name{};
    name.header.type = DISPLAYCONFIG_DEVICE_INFO_GET_TARGET_NAME;
    name.header.size = sizeof(name);
    name.header.adapterId = path.targetInfo.adapterId;
    name.header.id = path.targetInfo.id;
    if (DisplayConfigGetDeviceInfo(&name.header) == ERROR_SUCCESS) {
      record.friendly_name = from_wide_up_to_nul(name.monitorFriendlyDeviceName,
                                                 std::size(name.monitorFriendlyDeviceName));
    }
    config.paths.push_back(std::move(record));
  }
  for (const DISPLAYCONFIG_MODE_INFO& mode : modes) {
    DisplayMode record;
    record.info_type = static_cast<std::uint32_t>(mode.infoType);
    if (mode.infoType == DISPLAYCONFIG_MODE_INFO_TYPE_SOURCE) {
      record.width = mode.sourceMode.width;
      record.height = mode.sourceMode.height;
    }
    config.modes.push_back(record);
  }
  return config;
}

std::uint32_t WindowsProbePlatform::logical_drive_mask() {
  const DWORD mask = GetLogicalDrives();
  // No drive at all is never a real answer: the Drives card would vanish without a word.
  if (mask == 0) trace_failure("GetLogicalDrives", HRESULT_FROM_WIN32(GetLastError()));
  return static_cast<std::uint32_t>(mask);
}

bool WindowsProbePlatform::is_fixed_drive(char letter) {
  return GetDriveTypeW(drive_root(letter).c_str()) == DRIVE_FIXED;
}

std::optional<DriveSpace> WindowsProbePlatform::drive_space(char letter) {
  ULARGE_INTEGER available{};
  ULARGE_INTEGER total{};
  ULARGE_INTEGER total_free{};
  if (!GetDiskFreeSpaceExW(drive_root(letter).c_str(), &available, &total, &total_free)) {
    const char drive[] = {letter, ':', '\0'};
    return traced_nothing("GetDiskFreeSpaceExW " + std::string(drive));
  }
  return DriveSpace{total.QuadPart, total_free.QuadPart};
}

std::vector<BatteryInfo> WindowsProbePlatform::batteries() {
  std::vector<BatteryInfo> found;
  const HDEVINFO raw_set = SetupDiGetClassDevsW(&kBatteryInterfaceClass, nullptr, nullptr,
                                                DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (raw_set == nullptr || raw_set == INVALID_HANDLE_VALUE) {
    (void)traced_nothing("SetupDiGetClassDevsW for batteries");
    return found;
  }
  const DeviceInfoSet set(raw_set);

  for (DWORD index = 0; index < kMaxBatteries; ++index) {
    SP_DEVICE_INTERFACE_DATA interface_data{};
    interface_data.cbSize = sizeof(interface_data);
    if (!SetupDiEnumDeviceInterfaces(raw_set, nullptr, &kBatteryInterfaceClass, index,
                                     &interface_data)) {
      if (GetLastError() != ERROR_NO_MORE_ITEMS) (void)traced_nothing("SetupDiEnumDeviceInterfaces");
      break;
    }
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailW(raw_set, &interface_data, nullptr, 0, &required, nullptr);
    if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
    // 8-byte units give the alignment the detail record needs.
    std::vector<std::uint64_t> buffer((static_cast<std::size_t>(required) + 7) / 8, 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(raw_set, &interface_data, detail,
                                          static_cast<DWORD>(buffer.size() * 8), nullptr,
                                          nullptr)) {
      (void)traced_nothing("SetupDiGetDeviceInterfaceDetailW");
      continue;
    }
    if (std::optional<BatteryInfo> battery = read_battery(detail->DevicePath)) {
      found.push_back(std::move(*battery));
    }
  }
  return found;
}

std::optional<PowerStatus> WindowsProbePlatform::power_status() {
  SYSTEM_POWER_STATUS status{};
  if (!GetSystemPowerStatus(&status)) return traced_nothing("GetSystemPowerStatus");
  return PowerStatus{status.ACLineStatus, status.BatteryLifePercent};
}

FirmwareTypeAnswer WindowsProbePlatform::firmware_type() { return read_firmware_type(); }

TpmAnswer WindowsProbePlatform::tpm() { return read_tpm(); }

std::optional<CpuIdAnswer> WindowsProbePlatform::cpuid() { return read_cpuid(); }

}  // namespace kestro::probe

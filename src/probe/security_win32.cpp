#include "probe/security_win32.h"

#include <windows.h>

// <cpuid.h> alone: with <intrin.h> beside it MinGW does not compile.
#include <cpuid.h>

#include <cstring>

#include "base/system_library_win32.h"
#include "base/trace_win32.h"

namespace kestro::probe {
namespace {

// TPM_DEVICE_INFO of the TPM Base Services; MinGW's tbs.h lacks it and the function.
struct TpmDeviceInfo {
  UINT32 struct_version;
  UINT32 tpm_version;
  UINT32 tpm_interface_type;
  UINT32 tpm_implementation_revision;
};
static_assert(sizeof(TpmDeviceInfo) == 16);

constexpr UINT32 kTbsResultNotFound = 0x8028400F;
constexpr UINT32 kNotImplemented = 0x80004001;

}  // namespace

FirmwareTypeAnswer read_firmware_type() {
  // Windows 8 and later export it; this Wine does not, and a static import would stop the
  // process at start.
  static const SystemFunction<BOOL, FIRMWARE_TYPE*> get(L"kernel32.dll", "GetFirmwareType", FALSE);
  if (!get) return std::nullopt;
  FIRMWARE_TYPE type = FirmwareTypeUnknown;
  if (!get(&type)) {
    trace_failure("GetFirmwareType", HRESULT_FROM_WIN32(GetLastError()));
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(type);
}

TpmAnswer read_tpm() {
  // tbs.dll is no known DLL: from the system folder only.
  static const SystemFunction<UINT32, UINT32, PVOID> get(L"tbs.dll", "Tbsi_GetDeviceInfo", kNotImplemented);
  TpmDeviceInfo info{};
  TpmAnswer answer;
  answer.result = get(sizeof(info), &info);
  if (answer.result == 0) {
    answer.version = info.tpm_version;
  } else if (answer.result != kTbsResultNotFound) {
    trace_failure("Tbsi_GetDeviceInfo", static_cast<HRESULT>(answer.result));
  }
  return answer;
}

std::optional<CpuIdAnswer> read_cpuid() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(0, &eax, &ebx, &ecx, &edx) == 0) return std::nullopt;
  char vendor[12];
  std::memcpy(vendor, &ebx, 4);
  std::memcpy(vendor + 4, &edx, 4);
  std::memcpy(vendor + 8, &ecx, 4);
  CpuIdAnswer answer;
  answer.vendor.assign(vendor, sizeof vendor);
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return std::nullopt;
  answer.leaf1_eax = eax;
  answer.leaf1_ecx = ecx;
  return answer;
}

}  // namespace kestro::probe

#pragma once
// The raw answers behind the Security card that are not registry values: the firmware type,
// the TPM and the processor's CPUID identity. The platform gives them as the system answered;
// the core judges them.

#include <cstdint>
#include <optional>
#include <string>

namespace kestro::probe {

// GetFirmwareType's answer: 1 legacy BIOS, 2 UEFI; nothing when the function is missing (older
// systems) or fails.
using FirmwareTypeAnswer = std::optional<std::uint32_t>;

// Tbsi_GetDeviceInfo's answer: its result (0 on success, 0x8028400F when there is no TPM) and,
// on success, the device's tpmVersion (1 for 1.2, 2 for 2.0).
struct TpmAnswer {
  std::uint32_t result = 0x80004001;  // E_NOTIMPL: not asked, or tbs.dll is missing
  std::uint32_t version = 0;
};

// CPUID leaf 0's vendor text and leaf 1's EAX and ECX.
struct CpuIdAnswer {
  std::string vendor;
  std::uint32_t leaf1_eax = 0;
  std::uint32_t leaf1_ecx = 0;
};

}  // namespace kestro::probe

#pragma once
// The Security card: the firmware, Secure Boot, the TPM, the Secure Boot certificates of 2023
// and, on Windows 10, whether the PC can run Windows 11. Everything is read without
// administrator rights and without WMI.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "i18n/text_pair.h"
#include "probe/drives_section.h"
#include "probe/json_fields.h"
#include "probe/memory_section.h"
#include "probe/platform.h"
#include "probe/processor_section.h"
#include "probe/report.h"
#include "probe/windows11.h"
#include "probe/windows_section.h"

namespace kestro::probe {

// The Security card's texts ("UEFI", "TPM", "TPM 2.0" and "Windows 11" are names, the same in
// every language; the Processor and Memory requirements take those cards' headings).
inline constexpr TextPair kSecurityHeading{"보안", "Security"};
inline constexpr TextPair kFirmwareLabel{"펌웨어", "Firmware"};
inline constexpr TextPair kLegacyBios{"레거시 BIOS", "Legacy BIOS"};
inline constexpr TextPair kSecureBootLabel{"보안 부팅", "Secure Boot"};
inline constexpr TextPair kOn{"켜짐", "On"};
inline constexpr TextPair kOff{"꺼짐", "Off"};
inline constexpr TextPair kTpmNotFound{"찾을 수 없음", "Not found"};
inline constexpr TextPair kBootCertificatesLabel{"보안 부팅 인증서", "Secure Boot certificates"};
inline constexpr TextPair kUpToDate{"최신", "Up to date"};
inline constexpr TextPair kUpdatePending{"업데이트 대기", "Update pending"};
inline constexpr TextPair kWindows11Ready{"가능", "Ready"};
inline constexpr TextPair kWindows11NotReady{"불가", "Not ready"};
inline constexpr TextPair kSystemDriveSize{"시스템 드라이브 크기", "System drive size"};
// Every text the Security card shows but its heading.
inline constexpr auto kSecurityTexts = std::to_array<TextPair>({
    kFirmwareLabel, kLegacyBios, kSecureBootLabel, kOn, kOff, kTpmNotFound,
    kBootCertificatesLabel, kUpToDate, kUpdatePending, kWindows11Ready, kWindows11NotReady,
    kSystemDriveSize});

enum class BootCertificates : std::uint8_t { Updated, Pending };

struct SecurityFacts {
  std::optional<Firmware> firmware;
  std::optional<bool> secure_boot;              // the state value: 1 on, 0 off
  std::optional<Tpm> tpm;
  std::optional<BootCertificates> boot_certificates;
  std::optional<CpuIdentity> cpu;
  std::optional<std::uint32_t> platform_field;  // "Platform Specific Field 1" of processor 0
  std::optional<char> system_drive;             // the letter of SystemRoot
};

// The firmware type, the two Secure Boot values, the TPM, CPUID, the first processor's
// platform field and the system drive.
SecurityFacts read_security(ProbePlatform& platform);

// What the Windows 11 verdict weighs besides the Security card's own facts.
struct OtherCardsFacts {
  const WindowsFacts& windows;
  const std::vector<ProcessorFacts>& processors;
  const MemoryFacts& memory;
  const std::vector<DriveFacts>& drives;
  std::string_view model;  // the PC's model
};

// The Windows 11 verdict of a desktop Windows 10 (build 10240 to 21999); nothing for another
// Windows or a server, or when it cannot be told (windows11.h).
std::optional<Windows11Verdict> windows11_verdict_of(const SecurityFacts& security,
                                                     const OtherCardsFacts& others);

// Firmware, Secure Boot, TPM, Secure Boot certificates (only while Secure Boot is on) and
// Windows 11, each when known.
std::vector<Row> security_rows(const SecurityFacts& facts,
                               const std::optional<Windows11Verdict>& windows11);

// The document's "security" object, with the rows' facts.
Json security_json(const SecurityFacts& facts, const std::optional<Windows11Verdict>& windows11);

}  // namespace kestro::probe

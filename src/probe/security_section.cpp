#include "probe/security_section.h"

#include <string>
#include <variant>

#include "base/text.h"
#include "i18n/translate.h"
#include "probe/facts.h"

namespace kestro::probe {
namespace {

constexpr std::string_view kSecureBootKey = "SYSTEM\\CurrentControlSet\\Control\\SecureBoot\\State";
constexpr std::string_view kServicingKey = "SYSTEM\\CurrentControlSet\\Control\\SecureBoot\\Servicing";
constexpr std::string_view kProcessorKey = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
constexpr std::string_view kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::uint32_t kTpmNotFoundResult = 0x8028400F;
// Windows 10's builds; Windows 11 starts at 22000.
constexpr std::uint64_t kFirstWindows10Build = 10240;
constexpr std::uint64_t kLastWindows10Build = 21999;

std::optional<std::uint32_t> number_of(const std::optional<RegistryValue>& value) {
  if (!value || !std::holds_alternative<std::uint32_t>(*value)) return std::nullopt;
  return std::get<std::uint32_t>(*value);
}

std::optional<std::string> text_of(const std::optional<RegistryValue>& value) {
  if (!value || !std::holds_alternative<std::string>(*value)) return std::nullopt;
  return std::get<std::string>(*value);
}

std::optional<Firmware> firmware_of(const FirmwareTypeAnswer& answer) {
  if (answer == 1u) return Firmware::Bios;
  if (answer == 2u) return Firmware::Uefi;
  return std::nullopt;
}

std::optional<Tpm> tpm_of(const TpmAnswer& answer) {
  if (answer.result == kTpmNotFoundResult) return Tpm::NotFound;
  if (answer.result != 0) return std::nullopt;  // service stopped, access denied, ...
  if (answer.version == 2) return Tpm::Version2;
  if (answer.version == 1) return Tpm::Version12;
  return std::nullopt;
}

// The servicing states of the 2023 certificates' update; any other text says nothing.
std::optional<BootCertificates> boot_certificates_of(const std::optional<std::string>& status) {
  if (status == "Updated") return BootCertificates::Updated;
  if (status == "NotStarted" || status == "InProgress") return BootCertificates::Pending;
  return std::nullopt;
}

// "C:\WINDOWS" → 'C'.
std::optional<char> drive_letter_of(const std::optional<std::string>& path) {
  if (!path || path->size() < 2 || (*path)[1] != ':') return std::nullopt;
  const char letter = (*path)[0];
  if (letter >= 'a' && letter <= 'z') return static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') return std::nullopt;
  return letter;
}

Row text_row(const TextPair& label, std::string value) {
  return Row::plain(std::string(translate(label)), std::move(value));
}

Row status_row(std::string label, const TextPair& badge, Tone tone) {
  return Row::status(std::move(label), std::string(translate(badge)), tone);
}

std::string requirement_name(Requirement requirement) {
  switch (requirement) {
    case Requirement::Processor: return std::string(translate(kProcessorHeading));
    case Requirement::Tpm: return "TPM 2.0";
    case Requirement::SecureBoot: return std::string(translate(kSecureBootLabel));
    case Requirement::Memory: return std::string(translate(kMemoryHeading));
    case Requirement::Storage: return std::string(translate(kStorageSpace));
  }
  return {};
}

const char* requirement_word(Requirement requirement) {
  switch (requirement) {
    case Requirement::Processor: return "processor";
    case Requirement::Tpm: return "tpm";
    case Requirement::SecureBoot: return "secure_boot";
    case Requirement::Memory: return "memory";
    case Requirement::Storage: return "storage";
  }
  return "";
}

bool runs_windows10(const WindowsFacts& windows) {
  if (!windows.os) return false;
  const std::string_view build = windows.os->build;
  if (build.empty() || build.front() < '0' || build.front() > '9') return false;
  const std::optional<std::uint64_t> number = parse_unsigned(build);
  return number && *number >= kFirstWindows10Build && *number <= kLastWindows10Build;
}

}  // namespace

SecurityFacts read_security(ProbePlatform& platform) {
  constexpr RegistryHive kMachine = RegistryHive::LocalMachine;
  SecurityFacts facts;
  facts.firmware = firmware_of(platform.firmware_type());
  if (const std::optional<std::uint32_t> enabled =
          number_of(platform.registry_value(kMachine, kSecureBootKey, "UEFISecureBootEnabled"));
      enabled == 0u || enabled == 1u) {
    facts.secure_boot = enabled == 1u;
  }
  facts.tpm = tpm_of(platform.tpm());
  facts.boot_certificates =
      boot_certificates_of(text_of(platform.registry_value(kMachine, kServicingKey, "UEFICA2023Status")));
  if (const std::optional<CpuIdAnswer> cpu = platform.cpuid()) {
    facts.cpu = cpu_identity(cpu->vendor, cpu->leaf1_eax, cpu->leaf1_ecx);
  }
  facts.platform_field =
      number_of(platform.registry_value(kMachine, kProcessorKey, "Platform Specific Field 1"));
  facts.system_drive = drive_letter_of(text_of(platform.registry_value(kMachine, kCurrentVersionKey, "SystemRoot")));
  return facts;
}

std::optional<Windows11Verdict> windows11_verdict_of(const PcFacts& facts) {
  if (!runs_windows10(facts.windows)) return std::nullopt;
  const SecurityFacts& security = facts.security;
  Windows11Inputs in;
  in.cpu = security.cpu;
  in.platform_field = security.platform_field;
  if (!facts.processors.empty()) {
    const ProcessorFacts& first = facts.processors.front();
    in.cores = first.cores;
    in.base_mhz = first.base_mhz;
    in.processor_name = first.name;
  }
  in.model = facts.system.model;
  in.tpm = security.tpm;
  in.firmware = security.firmware;
  in.secure_boot_value = security.secure_boot.has_value();
  if (!facts.memory.modules.empty()) in.installed_memory = facts.memory.installed;
  for (const DriveFacts& drive : facts.storage.drives) {
    if (drive.letter == security.system_drive) in.system_drive_bytes = drive.total;
  }
  return windows11_verdict(in);
}

std::vector<Row> security_rows(const SecurityFacts& facts,
                               const std::optional<Windows11Verdict>& windows11) {
  std::vector<Row> rows;
  if (facts.firmware) {
    rows.push_back(text_row(kFirmwareLabel, *facts.firmware == Firmware::Uefi
                                                ? std::string("UEFI")
                                                : std::string(translate(kLegacyBios))));
  }
  const std::string secure_boot(translate(kSecureBootLabel));
  if (facts.secure_boot) {
    rows.push_back(*facts.secure_boot ? status_row(secure_boot, kOn, Tone::Good)
                                      : status_row(secure_boot, kOff, Tone::Warning));
  }
  if (facts.tpm == Tpm::NotFound) {
    rows.push_back(status_row("TPM", kTpmNotFound, Tone::Warning));
  } else if (facts.tpm) {
    rows.push_back(Row::plain("TPM", *facts.tpm == Tpm::Version2 ? "2.0" : "1.2"));
  }
  // The certificates matter only while Secure Boot checks what starts.
  if (facts.secure_boot == true && facts.boot_certificates) {
    const std::string label(translate(kBootCertificatesLabel));
    rows.push_back(*facts.boot_certificates == BootCertificates::Updated
                       ? status_row(label, kUpToDate, Tone::Good)
                       : status_row(label, kUpdatePending, Tone::Warning));
  }
  if (windows11) {
    if (windows11->ready) {
      rows.push_back(status_row("Windows 11", kWindows11Ready, Tone::Good));
    } else {
      Row row = status_row("Windows 11", kWindows11NotReady, Tone::Warning);
      for (const Requirement requirement : windows11->missing) {
        if (!row.value.empty()) row.value += ", ";
        row.value += requirement_name(requirement);
      }
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

Json security_json(const SecurityFacts& facts, const std::optional<Windows11Verdict>& windows11) {
  Json security = Json::object();
  if (facts.firmware) security["firmware"] = *facts.firmware == Firmware::Uefi ? "uefi" : "bios";
  if (facts.secure_boot) security["secure_boot"] = *facts.secure_boot ? "on" : "off";
  if (facts.tpm) {
    security["tpm"] = *facts.tpm == Tpm::Version2 ? "2.0" : *facts.tpm == Tpm::Version12 ? "1.2" : "none";
  }
  if (facts.secure_boot == true && facts.boot_certificates) {
    security["boot_certificates"] =
        *facts.boot_certificates == BootCertificates::Updated ? "updated" : "pending";
  }
  if (windows11) {
    Json verdict = Json::object();
    verdict["ready"] = windows11->ready;
    if (!windows11->ready) {
      Json& missing = verdict["missing"] = Json::array();
      for (const Requirement requirement : windows11->missing) missing.push_back(requirement_word(requirement));
    }
    security["windows11"] = std::move(verdict);
  }
  return security;
}

}  // namespace kestro::probe

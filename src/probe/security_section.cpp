#include "probe/security_section.h"

#include <string>

#include "i18n/translate.h"
#include "probe/format.h"

namespace kestro::probe {
namespace {

constexpr std::string_view kSecureBootKey = "SYSTEM\\CurrentControlSet\\Control\\SecureBoot\\State";
constexpr std::string_view kServicingKey = "SYSTEM\\CurrentControlSet\\Control\\SecureBoot\\Servicing";
constexpr std::string_view kProcessorKey = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
constexpr std::string_view kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::uint32_t kTpmNotFoundResult = 0x8028400F;

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
    // Only a legacy-BIOS PC misses it, and switching the firmware to UEFI is the fix.
    case Requirement::SecureBoot: return "UEFI";
    case Requirement::Memory: return std::string(translate(kMemoryHeading));
    case Requirement::Storage: return std::string(translate(kSystemDriveSize));
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
  if (!windows.os || !windows.os->build_number) return false;
  const std::uint64_t build = *windows.os->build_number;
  return build >= kFirstWindows10Build && build < kFirstWindows11Build;
}

// The cores of every processor; unknown when one of them does not say.
std::optional<std::uint64_t> all_cores(const std::vector<ProcessorFacts>& processors) {
  if (processors.empty()) return std::nullopt;
  std::uint64_t cores = 0;
  for (const ProcessorFacts& processor : processors) {
    if (!processor.cores) return std::nullopt;
    cores = saturating_add(cores, *processor.cores);
  }
  return cores;
}

// The installed memory when every module was listed with its size.
std::optional<std::uint64_t> known_memory(const MemoryFacts& memory) {
  if (memory.modules.empty() || !memory.complete) return std::nullopt;
  for (const ModuleFacts& module : memory.modules) {
    if (!module.size) return std::nullopt;
  }
  return memory.installed;
}

}  // namespace

SecurityFacts read_security(ProbePlatform& platform) {
  constexpr RegistryHive kMachine = RegistryHive::LocalMachine;
  SecurityFacts facts;
  facts.firmware = firmware_of(platform.firmware_type());
  if (const std::optional<std::uint32_t> enabled =
          platform.registry_number(kMachine, kSecureBootKey, "UEFISecureBootEnabled");
      enabled == 0u || enabled == 1u) {
    facts.secure_boot = enabled == 1u;
  }
  facts.tpm = tpm_of(platform.tpm());
  facts.boot_certificates =
      boot_certificates_of(platform.registry_text(kMachine, kServicingKey, "UEFICA2023Status"));
  if (const std::optional<CpuIdAnswer> cpu = platform.cpuid()) {
    facts.cpu = cpu_identity(cpu->vendor, cpu->leaf1_eax, cpu->leaf1_ecx);
  }
  facts.platform_field = platform.registry_number(kMachine, kProcessorKey, "Platform Specific Field 1");
  facts.system_drive = drive_letter_of(platform.registry_text(kMachine, kCurrentVersionKey, "SystemRoot"));
  return facts;
}

std::optional<Windows11Verdict> windows11_verdict_of(const SecurityFacts& security,
                                                     const OtherCardsFacts& others) {
  // Windows 11 is no upgrade for a server.
  if (!runs_windows10(others.windows) || !is_client(others.windows)) return std::nullopt;
  Windows11Inputs in;
  in.cpu = security.cpu;
  in.platform_field = security.platform_field;
  in.cores = all_cores(others.processors);
  if (!others.processors.empty()) {
    const ProcessorFacts& first = others.processors.front();
    in.base_mhz = first.base_mhz;
    in.processor_name = first.name;
  }
  in.model = std::string(others.model);
  in.tpm = security.tpm;
  in.firmware = security.firmware;
  in.secure_boot_value = security.secure_boot.has_value();
  in.installed_memory = known_memory(others.memory);
  for (const DriveFacts& drive : others.drives) {
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
  } else if (facts.tpm == Tpm::Version12) {
    rows.push_back(Row::status("TPM", "1.2", Tone::Warning));  // too old for Windows 11
  } else if (facts.tpm) {
    rows.push_back(Row::plain("TPM", "2.0"));
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
      // The badge says what it means, the value what is missing: "Not ready (Processor, TPM 2.0)".
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

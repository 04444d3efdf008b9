// The Security card from the platform's raw answers: which rows show, as what, and the JSON
// object beside them.

#include "probe/security_section.h"

#include <gtest/gtest.h>

#include <functional>

#include "i18n/translate.h"
#include "machine/test_machines.h"
#include "probe/facts.h"
#include "probe/run_probe.h"
#include "probe/section_registry.h"

namespace kestro::probe {
namespace {

using test::RecordedMachine;
using test::WmiAnswer;

// A Windows 10 PC that meets every requirement: UEFI, Secure Boot on with the new
// certificates, TPM 2.0, a supported processor, 16 GB and a 1 TB system drive.
RecordedMachine windows10_machine() {
  RecordedMachine machine = test::full_machine();
  machine.find(test::kCimv2, "Win32_OperatingSystem")->objects[0][2].second = "19045";
  return machine;
}

void set(RecordedMachine& machine, std::string_view key, std::string_view name, RegistryValue value) {
  machine.set_registry(RegistryHive::LocalMachine, key, name, std::move(value));
}

TEST(SecuritySection, RowsFromTheRawAnswers) {
  using test::kSecureBootServicingKey;
  using test::kSecureBootStateKey;
  const struct {
    const char* what;
    std::function<void(RecordedMachine&)> change;
    std::vector<std::string> lines;
    const char* json;
  } cases[] = {
      {"everything known and met", [](RecordedMachine&) {},
       {"Firmware: UEFI", "Secure Boot: On", "TPM: 2.0", "Secure Boot certificates: Up to date",
        "Windows 11: Ready"},
       R"({"firmware":"uefi","secure_boot":"on","tpm":"2.0","boot_certificates":"updated","windows11":{"ready":true}})"},
      {"legacy BIOS, no Secure Boot value, TPM 1.2",
       [](RecordedMachine& m) {
         m.firmware = 1;
         m.registry.clear();
         set(m, test::kCurrentVersionKey, "InstallationType", "Client");
         m.tpm_answer = {0, 1};
         set(m, test::kCurrentVersionKey, "SystemRoot", "c:\\Windows");
       },
       {"Firmware: Legacy BIOS", "TPM: 1.2", "Windows 11: Not ready (TPM 2.0, UEFI)"},
       R"({"firmware":"bios","tpm":"1.2","windows11":{"ready":false,"missing":["tpm","secure_boot"]}})"},
      {"Secure Boot off: the certificates are not shown",
       [](RecordedMachine& m) {
         set(m, kSecureBootStateKey, "UEFISecureBootEnabled", 0u);
         set(m, kSecureBootServicingKey, "UEFICA2023Status", "NotStarted");
       },
       {"Firmware: UEFI", "Secure Boot: Off", "TPM: 2.0", "Windows 11: Ready"},
       R"({"firmware":"uefi","secure_boot":"off","tpm":"2.0","windows11":{"ready":true}})"},
      {"an update in progress, no TPM, no firmware type",
       [](RecordedMachine& m) {
         m.firmware = 0;
         m.tpm_answer = {0x8028400F, 0};
         set(m, kSecureBootServicingKey, "UEFICA2023Status", "InProgress");
       },
       {"Secure Boot: On", "TPM: Not found", "Secure Boot certificates: Update pending",
        "Windows 11: Not ready (TPM 2.0)"},
       R"({"secure_boot":"on","tpm":"none","boot_certificates":"pending","windows11":{"ready":false,"missing":["tpm"]}})"},
      {"values of another type or word, a TPM service that is off",
       [](RecordedMachine& m) {
         m.firmware.reset();
         set(m, kSecureBootStateKey, "UEFISecureBootEnabled", "1");
         set(m, kSecureBootServicingKey, "UEFICA2023Status", "Updated ");
         m.tpm_answer = {0x80284008, 0};
       },
       {}, "{}"},
      {"a TPM of an unknown version, state 2", [](RecordedMachine& m) {
         m.tpm_answer = {0, 3};
         set(m, kSecureBootStateKey, "UEFISecureBootEnabled", 2u);
       },
       {"Firmware: UEFI"}, R"({"firmware":"uefi"})"},
      {"Windows 11 itself: no readiness row",
       [](RecordedMachine& m) { m.find(test::kCimv2, "Win32_OperatingSystem")->objects[0][2].second = "22000"; },
       {"Firmware: UEFI", "Secure Boot: On", "TPM: 2.0", "Secure Boot certificates: Up to date"},
       R"({"firmware":"uefi","secure_boot":"on","tpm":"2.0","boot_certificates":"updated"})"},
      {"the first Windows 10 build, a system drive that is not listed",
       [](RecordedMachine& m) {
         m.find(test::kCimv2, "Win32_OperatingSystem")->objects[0][2].second = "10240";
         set(m, test::kCurrentVersionKey, "SystemRoot", "D:\\Windows");
       },
       {"Firmware: UEFI", "Secure Boot: On", "TPM: 2.0", "Secure Boot certificates: Up to date"},
       R"({"firmware":"uefi","secure_boot":"on","tpm":"2.0","boot_certificates":"updated"})"},
      {"the first Windows 10 build with everything met",
       [](RecordedMachine& m) { m.find(test::kCimv2, "Win32_OperatingSystem")->objects[0][2].second = "10240"; },
       {"Firmware: UEFI", "Secure Boot: On", "TPM: 2.0", "Secure Boot certificates: Up to date",
        "Windows 11: Ready"},
       R"({"firmware":"uefi","secure_boot":"on","tpm":"2.0","boot_certificates":"updated","windows11":{"ready":true}})"},
      {"a lower-case system root, everything else met",
       [](RecordedMachine& m) { set(m, test::kCurrentVersionKey, "SystemRoot", "c:\\Windows"); },
       {"Firmware: UEFI", "Secure Boot: On", "TPM: 2.0", "Secure Boot certificates: Up to date",
        "Windows 11: Ready"},
       R"({"firmware":"uefi","secure_boot":"on","tpm":"2.0","boot_certificates":"updated","windows11":{"ready":true}})"},
      {"a server with TPM 1.2: no readiness row",
       [](RecordedMachine& m) {
         set(m, test::kCurrentVersionKey, "InstallationType", "Server");
         m.tpm_answer = {0, 1};
       },
       {"Firmware: UEFI", "Secure Boot: On", "TPM: 1.2", "Secure Boot certificates: Up to date"},
       R"({"firmware":"uefi","secure_boot":"on","tpm":"1.2","boot_certificates":"updated"})"},
      {"no installation type, TPM 1.2: no readiness row",
       [](RecordedMachine& m) {
         std::erase_if(m.registry, [](const test::RegistryEntry& e) { return e.name == "InstallationType"; });
         m.tpm_answer = {0, 1};
       },
       {"Firmware: UEFI", "Secure Boot: On", "TPM: 1.2", "Secure Boot certificates: Up to date"},
       R"({"firmware":"uefi","secure_boot":"on","tpm":"1.2","boot_certificates":"updated"})"},
      {"two single-core processors have two cores",
       [](RecordedMachine& m) {
         m.record(test::kCimv2, "Win32_Processor", test::kProcessorProperties,
                  wmi::WmiRows{test::row({"Acme", "1", "1", "3000"}), test::row({"Acme", "1", "1", "3000"})});
       },
       {"Firmware: UEFI", "Secure Boot: On", "TPM: 2.0", "Secure Boot certificates: Up to date",
        "Windows 11: Ready"},
       R"({"firmware":"uefi","secure_boot":"on","tpm":"2.0","boot_certificates":"updated","windows11":{"ready":true}})"},
      {"a second processor whose cores are unknown",
       [](RecordedMachine& m) {
         m.record(test::kCimv2, "Win32_Processor", test::kProcessorProperties,
                  wmi::WmiRows{test::row({"Acme", "1", "1", "3000"}), test::row({"Acme"})});
       },
       {"Firmware: UEFI", "Secure Boot: On", "TPM: 2.0", "Secure Boot certificates: Up to date"},
       R"({"firmware":"uefi","secure_boot":"on","tpm":"2.0","boot_certificates":"updated"})"},
      {"the memory answer cut short after a module of 2 GiB",
       [](RecordedMachine& m) {
         WmiAnswer& memory = *m.find(test::kCimv2, "Win32_PhysicalMemory");
         memory.complete = false;
         memory.objects.resize(1);
         memory.objects[0][0].second = "2147483648";
       },
       {"Firmware: UEFI", "Secure Boot: On", "TPM: 2.0", "Secure Boot certificates: Up to date"},
       R"({"firmware":"uefi","secure_boot":"on","tpm":"2.0","boot_certificates":"updated"})"},
      {"a module without a readable capacity beside one of 2 GiB",
       [](RecordedMachine& m) {
         WmiAnswer& memory = *m.find(test::kCimv2, "Win32_PhysicalMemory");
         memory.objects[0][0].second = "2147483648";
         memory.objects[1][0].second = std::nullopt;
       },
       {"Firmware: UEFI", "Secure Boot: On", "TPM: 2.0", "Secure Boot certificates: Up to date"},
       R"({"firmware":"uefi","secure_boot":"on","tpm":"2.0","boot_certificates":"updated"})"},
      {"a Haswell processor",
       [](RecordedMachine& m) { m.cpu_id = CpuIdAnswer{"GenuineIntel", 0x000306C3, 1u << 20 | 1u << 23}; },
       {"Firmware: UEFI", "Secure Boot: On", "TPM: 2.0", "Secure Boot certificates: Up to date",
        "Windows 11: Not ready (Processor)"},
       R"({"firmware":"uefi","secure_boot":"on","tpm":"2.0","boot_certificates":"updated","windows11":{"ready":false,"missing":["processor"]}})"},
  };
  ScopedLanguageOverride english("en");
  for (const auto& c : cases) {
    RecordedMachine machine = windows10_machine();
    c.change(machine);
    const PcFacts facts = probe_facts(machine);
    const std::optional<Windows11Verdict> verdict = windows11_verdict_of(facts);
    std::vector<std::string> lines;
    for (const Row& row : security_rows(facts.security, verdict)) {
      lines.push_back(row.label + ": " + display_text(row));
    }
    EXPECT_EQ(lines, c.lines) << c.what;
    EXPECT_EQ(security_json(facts.security, verdict).dump(), c.json) << c.what;
  }
}

// The badges' tones, and the Korean texts of the card.
TEST(SecuritySection, TonesAndKoreanTexts) {
  ScopedLanguageOverride korean("ko");
  RecordedMachine machine = windows10_machine();
  machine.tpm_answer = {0x8028400F, 0};
  machine.spaces['C'] = DriveSpace{60'000'000'000, 1'000'000'000};
  const PcFacts facts = probe_facts(machine);
  const std::vector<Row> rows = security_rows(facts.security, windows11_verdict_of(facts));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[1], Row::status("보안 부팅", "켜짐", Tone::Good));
  EXPECT_EQ(rows[2], Row::status("TPM", "찾을 수 없음", Tone::Warning));
  EXPECT_EQ(rows[3], Row::status("보안 부팅 인증서", "최신", Tone::Good));
  EXPECT_EQ(display_text(rows[4]), "불가 (TPM 2.0, 시스템 드라이브 크기)");
  EXPECT_EQ(rows[4].tone, Tone::Warning);
  machine.tpm_answer = {0, 1};
  EXPECT_EQ(security_rows(probe_facts(machine).security, std::nullopt)[2],
            Row::status("TPM", "1.2", Tone::Warning));
}

}  // namespace
}  // namespace kestro::probe

// Whether a PC can run Windows 11: the processor families the readiness check accepts, and
// the verdict over all five requirements.

#include <gtest/gtest.h>

#include <functional>

#include "probe/windows11.h"

namespace kestro::probe {
namespace {

constexpr std::uint32_t kSse42AndPopcnt = 1u << 20 | 1u << 23;
constexpr std::uint64_t kGib = std::uint64_t{1} << 30;

// Leaf 1's EAX as real processors report it, decoded and judged.
TEST(Windows11, ProcessorFamilies) {
  const struct {
    const char* what;
    const char* vendor;
    std::uint32_t eax;
    std::optional<std::uint32_t> platform_field;
    std::uint32_t family, model;
    bool supported;
  } cases[] = {
      {"Kaby Lake U 6/142/9, field 16", "GenuineIntel", 0x000806E9, 16, 6, 142, true},
      {"Kaby Lake U 6/142/9, field 8", "GenuineIntel", 0x000806E9, 8, 6, 142, false},
      {"Kaby Lake U 6/142/9, no field", "GenuineIntel", 0x000806E9, std::nullopt, 6, 142, false},
      {"Kaby Lake H 6/158/9, field 8", "GenuineIntel", 0x000906E9, 8, 6, 158, true},
      {"Kaby Lake H 6/158/9, field 16", "GenuineIntel", 0x000906E9, 16, 6, 158, false},
      {"Coffee Lake 6/158/10", "GenuineIntel", 0x000906EA, std::nullopt, 6, 158, true},
      {"Skylake server 6/85", "GenuineIntel", 0x00050654, std::nullopt, 6, 85, true},
      {"6/95", "GenuineIntel", 0x000506F1, std::nullopt, 6, 95, false},
      {"6/96", "GenuineIntel", 0x00060601, std::nullopt, 6, 96, true},
      {"Haswell 6/60", "GenuineIntel", 0x000306C3, std::nullopt, 6, 60, false},
      {"Pentium 4 15/2", "GenuineIntel", 0x00000F29, std::nullopt, 15, 2, false},
      {"a newer family 18/1", "GenuineIntel", 0x00300F10, std::nullopt, 18, 1, true},
      {"AMD 22", "AuthenticAMD", 0x00700F01, std::nullopt, 22, 0, false},
      {"AMD 23/1", "AuthenticAMD", 0x00800F11, std::nullopt, 23, 1, false},
      {"AMD 23/17", "AuthenticAMD", 0x00810F11, std::nullopt, 23, 17, false},
      {"AMD 23/8", "AuthenticAMD", 0x00800F82, std::nullopt, 23, 8, true},
      {"AMD 23/24", "AuthenticAMD", 0x00810F81, std::nullopt, 23, 24, true},
      {"AMD 25 (Ryzen 5 5600X)", "AuthenticAMD", 0x00A20F10, std::nullopt, 25, 33, true},
      {"another maker", "CentaurHauls", 0x000006F2, std::nullopt, 6, 15, false},
  };
  for (const auto& c : cases) {
    const CpuIdentity cpu = cpu_identity(c.vendor, c.eax, kSse42AndPopcnt);
    EXPECT_EQ(cpu.family, c.family) << c.what;
    EXPECT_EQ(cpu.model, c.model) << c.what;
    EXPECT_TRUE(cpu.sse42 && cpu.popcnt) << c.what;
    EXPECT_EQ(family_supported(cpu, c.platform_field), c.supported) << c.what;
  }
}

TEST(Windows11, Verdict) {
  using R = Requirement;
  // A PC that meets every requirement; each case changes it.
  Windows11Inputs ready;
  ready.cpu = cpu_identity("AuthenticAMD", 0x00A20F10, kSse42AndPopcnt);
  ready.cores = 6;
  ready.base_mhz = 3700;
  ready.processor_name = "AMD Ryzen 5 5600X 6-Core Processor";
  ready.tpm = Tpm::Version2;
  ready.firmware = Firmware::Uefi;
  ready.secure_boot_value = true;
  ready.installed_memory = 16 * kGib;
  ready.system_drive_bytes = 500 * kGib;
  const auto kaby_lake_h = [](Windows11Inputs& in) {
    in.cpu = cpu_identity("GenuineIntel", 0x000906E9, kSse42AndPopcnt);
    in.platform_field.reset();
    in.processor_name = "Intel(R) Core(TM) i7-7820HQ CPU @ 2.90GHz";
  };
  const struct {
    const char* what;
    std::function<void(Windows11Inputs&)> change;
    std::optional<std::vector<Requirement>> missing;  // nothing: no verdict; empty: ready
  } cases[] = {
      {"everything met", [](Windows11Inputs&) {}, std::vector<R>{}},
      {"TPM 1.2", [](Windows11Inputs& in) { in.tpm = Tpm::Version12; }, std::vector{R::Tpm}},
      {"nothing met, listed in order",
       [](Windows11Inputs& in) {
         in.cores = 1;
         in.tpm = Tpm::NotFound;
         in.firmware = Firmware::Bios;
         in.secure_boot_value = false;
         in.installed_memory = 2 * kGib;
         in.system_drive_bytes = 32 * kGib;
       },
       std::vector{R::Processor, R::Tpm, R::SecureBoot, R::Memory, R::Storage}},
      {"TPM unknown alone", [](Windows11Inputs& in) { in.tpm.reset(); }, std::nullopt},
      {"TPM unknown, memory short", [](Windows11Inputs& in) { in.tpm.reset(); in.installed_memory = 3 * kGib; },
       std::vector{R::Memory}},
      {"CPUID unknown alone", [](Windows11Inputs& in) { in.cpu.reset(); }, std::nullopt},
      {"CPUID unknown, one core", [](Windows11Inputs& in) { in.cpu.reset(); in.cores = 1; },
       std::vector{R::Processor}},
      {"cores unknown", [](Windows11Inputs& in) { in.cores.reset(); }, std::nullopt},
      {"900 MHz", [](Windows11Inputs& in) { in.base_mhz = 900; }, std::vector{R::Processor}},
      {"two cores at exactly 1000 MHz", [](Windows11Inputs& in) { in.cores = 2; in.base_mhz = 1000; },
       std::vector<R>{}},
      {"no SSE4.2", [](Windows11Inputs& in) { in.cpu->sse42 = false; }, std::vector{R::Processor}},
      {"no POPCNT", [](Windows11Inputs& in) { in.cpu->popcnt = false; }, std::vector{R::Processor}},
      {"i7-7820HQ in a Surface Studio 2",
       [&](Windows11Inputs& in) { kaby_lake_h(in); in.model = "Surface Studio 2"; }, std::vector<R>{}},
      {"i7-7820HQ in a precision 5520 (case)",
       [&](Windows11Inputs& in) { kaby_lake_h(in); in.model = "precision 5520"; }, std::vector<R>{}},
      {"i7-7820HQ elsewhere", [&](Windows11Inputs& in) { kaby_lake_h(in); in.model = "XPS 15 9560"; },
       std::vector{R::Processor}},
      {"Secure Boot value on unknown firmware",
       [](Windows11Inputs& in) { in.firmware.reset(); }, std::vector<R>{}},
      {"UEFI without the value", [](Windows11Inputs& in) { in.secure_boot_value = false; }, std::vector<R>{}},
      {"firmware and value unknown",
       [](Windows11Inputs& in) { in.firmware.reset(); in.secure_boot_value = false; }, std::nullopt},
      {"3.5 GiB rounds to 4", [](Windows11Inputs& in) { in.installed_memory = 7 * kGib / 2; }, std::vector<R>{}},
      {"a byte under 3.5 GiB", [](Windows11Inputs& in) { in.installed_memory = 7 * kGib / 2 - 1; },
       std::vector{R::Memory}},
      {"no module listed", [](Windows11Inputs& in) { in.installed_memory.reset(); }, std::nullopt},
      {"63.5 GiB rounds to 64", [](Windows11Inputs& in) { in.system_drive_bytes = 127 * kGib / 2; },
       std::vector<R>{}},
      {"62.5 GiB rounds to 62", [](Windows11Inputs& in) { in.system_drive_bytes = 125 * kGib / 2; },
       std::vector{R::Storage}},
      {"system drive unknown", [](Windows11Inputs& in) { in.system_drive_bytes.reset(); }, std::nullopt},
  };
  for (const auto& c : cases) {
    Windows11Inputs inputs = ready;
    c.change(inputs);
    const std::optional<Windows11Verdict> verdict = windows11_verdict(inputs);
    ASSERT_EQ(verdict.has_value(), c.missing.has_value()) << c.what;
    if (!verdict) continue;
    EXPECT_EQ(verdict->missing, *c.missing) << c.what;
    EXPECT_EQ(verdict->ready, c.missing->empty()) << c.what;
  }
}

}  // namespace
}  // namespace kestro::probe

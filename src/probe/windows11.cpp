#include "probe/windows11.h"

#include <utility>

#include "base/text.h"

namespace kestro::probe {
namespace {

enum class Meets : std::uint8_t { Yes, No, Unknown };

constexpr std::uint32_t kSse42Bit = 1u << 20;
constexpr std::uint32_t kPopcntBit = 1u << 23;
constexpr std::uint64_t kMinimumCores = 2;
constexpr std::uint64_t kMinimumMhz = 1000;
constexpr std::uint64_t kMinimumMemoryGib = 4;
constexpr std::uint64_t kMinimumStorageGib = 64;

bool contains_ignoring_case(std::string_view text, std::string_view part) {
  return ascii_lower(text).find(ascii_lower(part)) != std::string::npos;
}

// The one processor the readiness check names: an i7-7820HQ in two models that shipped with it.
bool named_exception(const Windows11Inputs& in) {
  return contains_ignoring_case(in.processor_name, "i7-7820HQ") &&
         (contains_ignoring_case(in.model, "Surface Studio 2") ||
          contains_ignoring_case(in.model, "Precision 5520"));
}

Meets processor(const Windows11Inputs& in) {
  if (named_exception(in)) return Meets::Yes;
  // What is known to fall short counts even when something else is not known.
  if ((in.cores && *in.cores < kMinimumCores) || (in.base_mhz && *in.base_mhz < kMinimumMhz)) {
    return Meets::No;
  }
  if (in.cpu && (!in.cpu->sse42 || !in.cpu->popcnt || !family_supported(*in.cpu, in.platform_field))) {
    return Meets::No;
  }
  if (!in.cpu || !in.cores || !in.base_mhz) return Meets::Unknown;
  return Meets::Yes;
}

Meets tpm(const Windows11Inputs& in) {
  if (!in.tpm) return Meets::Unknown;
  return *in.tpm == Tpm::Version2 ? Meets::Yes : Meets::No;
}

Meets secure_boot(const Windows11Inputs& in) {
  if (in.firmware == Firmware::Uefi || in.secure_boot_value) return Meets::Yes;
  if (in.firmware == Firmware::Bios) return Meets::No;
  return Meets::Unknown;
}

Meets at_least_gib(const std::optional<std::uint64_t>& bytes, std::uint64_t gib) {
  if (!bytes) return Meets::Unknown;
  return rounded_gib(*bytes) >= gib ? Meets::Yes : Meets::No;
}

}  // namespace

CpuIdentity cpu_identity(std::string vendor, std::uint32_t leaf1_eax, std::uint32_t leaf1_ecx) {
  CpuIdentity cpu;
  cpu.vendor = std::move(vendor);
  const std::uint32_t base_family = leaf1_eax >> 8 & 0xF;
  const std::uint32_t base_model = leaf1_eax >> 4 & 0xF;
  cpu.family = base_family == 15 ? base_family + (leaf1_eax >> 20 & 0xFF) : base_family;
  cpu.model = base_family == 6 || base_family == 15 ? (leaf1_eax >> 16 & 0xF) << 4 | base_model : base_model;
  cpu.stepping = leaf1_eax & 0xF;
  cpu.sse42 = (leaf1_ecx & kSse42Bit) != 0;
  cpu.popcnt = (leaf1_ecx & kPopcntBit) != 0;
  return cpu;
}

bool family_supported(const CpuIdentity& cpu, std::optional<std::uint32_t> platform_field) {
  if (cpu.vendor == "GenuineIntel") {
    if (cpu.family < 6 || cpu.family == 15) return false;
    // Only family 6 has a model list, as in the check's first release; its current one would
    // turn Intel's newer families away.
    if (cpu.family != 6) return true;
    if (cpu.model <= 95 && cpu.model != 85) return false;
    if (cpu.model == 142 && cpu.stepping == 9) return platform_field == 16u;
    if (cpu.model == 158 && cpu.stepping == 9) return platform_field == 8u;
    return true;
  }
  if (cpu.vendor == "AuthenticAMD") {
    if (cpu.family < 23) return false;
    return !(cpu.family == 23 && (cpu.model == 1 || cpu.model == 17));
  }
  return false;
}

std::uint64_t rounded_gib(std::uint64_t bytes) {
  constexpr std::uint64_t kHalf = std::uint64_t{1} << 29;
  const std::uint64_t whole = bytes >> 30;
  const std::uint64_t rest = bytes & ((std::uint64_t{1} << 30) - 1);
  return whole + (rest > kHalf || (rest == kHalf && (whole & 1) != 0) ? 1 : 0);
}

std::optional<Windows11Verdict> windows11_verdict(const Windows11Inputs& inputs) {
  const std::pair<Requirement, Meets> checks[] = {
      {Requirement::Processor, processor(inputs)},
      {Requirement::Tpm, tpm(inputs)},
      {Requirement::SecureBoot, secure_boot(inputs)},
      {Requirement::Memory, at_least_gib(inputs.installed_memory, kMinimumMemoryGib)},
      {Requirement::Storage, at_least_gib(inputs.system_drive_bytes, kMinimumStorageGib)},
  };
  Windows11Verdict verdict;
  bool unknown = false;
  for (const auto& [requirement, meets] : checks) {
    if (meets == Meets::No) verdict.missing.push_back(requirement);
    unknown = unknown || meets == Meets::Unknown;
  }
  if (!verdict.missing.empty()) return verdict;
  if (unknown) return std::nullopt;
  verdict.ready = true;
  return verdict;
}

}  // namespace kestro::probe

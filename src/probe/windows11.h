#pragma once
// Whether this PC meets Windows 11's requirements, from what a standard user can read: the
// processor (its CPUID identity, cores and speed), the TPM, Secure Boot, memory and the system
// drive's size. The rules follow Microsoft's own readiness check.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::probe {

enum class Firmware : std::uint8_t { Bios, Uefi };
enum class Tpm : std::uint8_t { Version2, Version12, NotFound };

// The processor as CPUID names it.
struct CpuIdentity {
  std::string vendor;           // leaf 0: "GenuineIntel", "AuthenticAMD", ...
  std::uint32_t family = 0;     // with the extended family where it applies
  std::uint32_t model = 0;      // with the extended model where it applies
  std::uint32_t stepping = 0;
  bool sse42 = false;
  bool popcnt = false;
};

// From leaf 0's vendor text and leaf 1's EAX and ECX: the extended family counts only when the
// base family is 15, the extended model only when it is 6 or 15.
CpuIdentity cpu_identity(std::string vendor, std::uint32_t leaf1_eax, std::uint32_t leaf1_ecx);

// Whether the processor's maker, family and model are among those Windows 11 supports.
// `platform_field` is the registry's "Platform Specific Field 1" of the first processor, which
// tells two Intel steppings apart.
bool family_supported(const CpuIdentity& cpu, std::optional<std::uint32_t> platform_field);

// The requirements, in the order a verdict lists the missing ones.
enum class Requirement : std::uint8_t { Processor, Tpm, SecureBoot, Memory, Storage };

struct Windows11Inputs {
  std::optional<CpuIdentity> cpu;                 // nothing: CPUID could not be read
  std::optional<std::uint32_t> platform_field;
  std::optional<std::uint64_t> cores;             // of every processor
  std::optional<std::uint64_t> base_mhz;          // of the first processor
  std::string processor_name;                     // of the first processor
  std::string model;                              // the PC's model
  std::optional<Tpm> tpm;                         // nothing: the TPM could not be asked
  std::optional<Firmware> firmware;
  bool secure_boot_value = false;                 // the Secure Boot state value exists
  std::optional<std::uint64_t> installed_memory;  // nothing: no memory module was listed
  std::optional<std::uint64_t> system_drive_bytes;
};

struct Windows11Verdict {
  bool ready = false;
  std::vector<Requirement> missing;  // in Requirement order; empty exactly when ready
};

// Any requirement not met: not ready, listing them. Otherwise ready when every requirement is
// known to be met, and no verdict at all when some could not be told: an unknown never counts
// as a failure, and never hides one.
std::optional<Windows11Verdict> windows11_verdict(const Windows11Inputs& inputs);

// `bytes` in whole GiB, rounded to the nearest with ties to the even neighbour.
std::uint64_t rounded_gib(std::uint64_t bytes);

}  // namespace kestro::probe

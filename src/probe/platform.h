#pragma once
// Every platform read of a probe run, behind one interface, so that run_probe() runs unchanged
// on recorded inputs. The Windows adapter makes the real calls; each method returns the raw
// answer and the core applies every rule.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "probe/date.h"
#include "probe/security_reads.h"
#include "wmi/wmi.h"

namespace kestro::probe {

enum class RegistryHive : std::uint8_t { LocalMachine, CurrentUser };

// A REG_SZ value's text (up to its first NUL) or a REG_DWORD value's number.
using RegistryValue = std::variant<std::string, std::uint32_t>;

struct GraphicsAdapter {              // one DXGI adapter whose description could be read
  std::string name;                   // Description up to the first NUL (at most 128 units)
  std::uint64_t dedicated_video_memory = 0;
  std::uint32_t flags = 0;            // DXGI_ADAPTER_FLAG_SOFTWARE is 2
};

struct DisplayPath {                  // fields read from one DISPLAYCONFIG_PATH_INFO
  std::uint32_t source_mode_index = 0;
  std::uint32_t refresh_numerator = 0;
  std::uint32_t refresh_denominator = 0;
  std::optional<std::string> friendly_name;  // absent when the name query failed
};

struct DisplayMode {                  // fields read from one DISPLAYCONFIG_MODE_INFO
  std::uint32_t info_type = 0;        // 1: source mode
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

struct DisplayConfig {
  std::vector<DisplayPath> paths;
  std::vector<DisplayMode> modes;     // exactly the records the platform filled in
};

struct DriveSpace {
  std::uint64_t total = 0;
  std::uint64_t total_free = 0;
};

struct BatteryInfo {                  // one battery device that answered its tag and information
  std::string name;                   // empty when the name query failed
  std::uint32_t capabilities = 0;
  std::uint32_t designed_capacity = 0;
  std::uint32_t full_charged_capacity = 0;
  std::uint32_t cycle_count = 0;
};

struct PowerStatus {
  std::uint8_t ac_line_status = 255;
  std::uint8_t battery_life_percent = 255;
};

// Every read answers "nothing" (no value, no rows, false, 0) unless a platform overrides it, or
// passes it on to the platform given as `next`: a decorator overrides only the reads it
// changes, and a new read is one line here and its Windows adapter.
class ProbePlatform {
 public:
  explicit ProbePlatform(ProbePlatform* next = nullptr) : next_(next) {}
  ProbePlatform(const ProbePlatform&) = default;
  ProbePlatform& operator=(const ProbePlatform&) = default;
  virtual ~ProbePlatform() = default;

  virtual bool is_admin() { return ask(&ProbePlatform::is_admin); }
  virtual std::uint64_t milliseconds_since_boot() {
    return ask(&ProbePlatform::milliseconds_since_boot);
  }
  // The day the PC's clock shows, in its own time zone.
  virtual std::optional<Date> local_date() { return ask(&ProbePlatform::local_date); }
  virtual std::unique_ptr<wmi::WmiSession> connect(std::string_view wmi_namespace) {
    return ask(&ProbePlatform::connect, wmi_namespace);
  }
  // One value under `path` (no leading backslash) of `hive`. Any other type, a missing key or
  // value, or any failure (access denied) gives nothing.
  virtual std::optional<RegistryValue> registry_value(RegistryHive hive, std::string_view path,
                                                      std::string_view name) {
    return ask(&ProbePlatform::registry_value, hive, path, name);
  }
  // registry_value's answer when it is a text, or a number: a value of the other type counts
  // as missing.
  std::optional<std::string> registry_text(RegistryHive hive, std::string_view path,
                                           std::string_view name) {
    std::optional<RegistryValue> value = registry_value(hive, path, name);
    if (!value || !std::holds_alternative<std::string>(*value)) return std::nullopt;
    return std::get<std::string>(std::move(*value));
  }
  std::optional<std::uint32_t> registry_number(RegistryHive hive, std::string_view path,
                                               std::string_view name) {
    const std::optional<RegistryValue> value = registry_value(hive, path, name);
    if (!value || !std::holds_alternative<std::uint32_t>(*value)) return std::nullopt;
    return std::get<std::uint32_t>(*value);
  }
  // Every adapter whose description could be read, software ones included (the core filters).
  virtual std::vector<GraphicsAdapter> graphics_adapters() {
    return ask(&ProbePlatform::graphics_adapters);
  }
  // nullopt: the size or configuration query failed.
  virtual std::optional<DisplayConfig> display_config() { return ask(&ProbePlatform::display_config); }
  virtual std::uint32_t logical_drive_mask() { return ask(&ProbePlatform::logical_drive_mask); }
  virtual bool is_fixed_drive(char letter) { return ask(&ProbePlatform::is_fixed_drive, letter); }
  virtual std::optional<DriveSpace> drive_space(char letter) {
    return ask(&ProbePlatform::drive_space, letter);
  }
  // At most eight, in enumeration order.
  virtual std::vector<BatteryInfo> batteries() { return ask(&ProbePlatform::batteries); }
  virtual std::optional<PowerStatus> power_status() { return ask(&ProbePlatform::power_status); }
  virtual FirmwareTypeAnswer firmware_type() { return ask(&ProbePlatform::firmware_type); }
  virtual TpmAnswer tpm() { return ask(&ProbePlatform::tpm); }
  // Nothing when the processor does not answer leaf 0 or leaf 1.
  virtual std::optional<CpuIdAnswer> cpuid() { return ask(&ProbePlatform::cpuid); }

 private:
  // The next platform's answer, or the answer type's "nothing".
  template <class Answer, class... Params, class... Args>
  Answer ask(Answer (ProbePlatform::*read)(Params...), Args&&... args) {
    if (next_ == nullptr) return Answer{};
    return (next_->*read)(std::forward<Args>(args)...);
  }

  ProbePlatform* next_;
};

}  // namespace kestro::probe

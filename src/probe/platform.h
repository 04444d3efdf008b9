#pragma once
// Every platform read of a probe run, behind one interface, so that run_probe() runs unchanged
// on recorded inputs. The Windows adapter makes the real calls; each method returns the raw
// answer and the core applies every rule.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

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

class ProbePlatform {
 public:
  virtual ~ProbePlatform() = default;

  virtual bool is_admin() = 0;
  virtual std::uint64_t milliseconds_since_boot() = 0;
  virtual std::unique_ptr<wmi::WmiSession> connect(std::string_view wmi_namespace) = 0;
  // One value under `path` (no leading backslash) of `hive`. Any other type, a missing key or
  // value, or any failure (access denied) gives nothing.
  virtual std::optional<RegistryValue> registry_value(RegistryHive hive, std::string_view path,
                                                      std::string_view name) = 0;
  // Every adapter whose description could be read, software ones included (the core filters).
  virtual std::vector<GraphicsAdapter> graphics_adapters() = 0;
  // nullopt: the size or configuration query failed.
  virtual std::optional<DisplayConfig> display_config() = 0;
  virtual std::uint32_t logical_drive_mask() = 0;
  virtual bool is_fixed_drive(char letter) = 0;
  virtual std::optional<DriveSpace> drive_space(char letter) = 0;
  // At most eight, in enumeration order.
  virtual std::vector<BatteryInfo> batteries() = 0;
  virtual std::optional<PowerStatus> power_status() = 0;
  virtual FirmwareTypeAnswer firmware_type() = 0;
  virtual TpmAnswer tpm() = 0;
  // Nothing when the processor does not answer leaf 0 or leaf 1.
  virtual std::optional<CpuIdAnswer> cpuid() = 0;
};

}  // namespace kestro::probe

#pragma once
// Any platform's answers with every text cleaned (clean_text.h) where they enter the core, so
// that no rule, row or document sees what a firmware, driver or device wrote unchecked. WMI
// values are trimmed again afterwards and a blank one becomes absent, as the COM adapter makes
// them.

#include "probe/platform.h"

namespace kestro::probe {

class CleanPlatform final : public ProbePlatform {
 public:
  explicit CleanPlatform(ProbePlatform& raw) : raw_(raw) {}

  bool is_admin() override;
  std::uint64_t milliseconds_since_boot() override;
  std::unique_ptr<wmi::WmiSession> connect(std::string_view wmi_namespace) override;
  std::optional<RegistryValue> registry_value(RegistryHive hive, std::string_view path,
                                              std::string_view name) override;
  std::vector<GraphicsAdapter> graphics_adapters() override;
  std::optional<DisplayConfig> display_config() override;
  std::uint32_t logical_drive_mask() override;
  bool is_fixed_drive(char letter) override;
  std::optional<DriveSpace> drive_space(char letter) override;
  std::vector<BatteryInfo> batteries() override;
  std::optional<PowerStatus> power_status() override;
  FirmwareTypeAnswer firmware_type() override;
  TpmAnswer tpm() override;
  std::optional<CpuIdAnswer> cpuid() override;

 private:
  ProbePlatform& raw_;
};

}  // namespace kestro::probe

#pragma once
// The probe's platform reads on Windows: the elevation check, the tick count, the local date,
// WMI, registry
// values, DXGI, the display configuration, drives, batteries, the power status, the firmware
// type, the TPM and CPUID. Each method returns the raw answer; the probe core applies every rule.
// The calling thread keeps COM in the multithreaded apartment (a ComApartment of its own)
// while it uses the platform. One platform serves one probe run: every WMI session it opens
// shares the run's time budget, which starts when the platform is made.

#include <memory>

#include "probe/platform.h"
#include "wmi/wait_budget.h"

namespace kestro::probe {

class WindowsProbePlatform final : public ProbePlatform {
 public:
  bool is_admin() override;
  std::uint64_t milliseconds_since_boot() override;
  std::optional<Date> local_date() override;
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
  std::shared_ptr<wmi::RunBudget> budget_ =
      std::make_shared<wmi::RunBudget>(wmi::steady_clock());
};

}  // namespace kestro::probe

#pragma once
// Any platform's answers with every text cleaned (clean_text.h) where they enter the core, so
// that no rule, row or document sees what a firmware, driver or device wrote unchecked. WMI
// values are trimmed again afterwards and a blank one becomes absent, as the COM adapter makes
// them.

#include "probe/platform.h"

namespace kestro::probe {

class CleanPlatform final : public ProbePlatform {
 public:
  explicit CleanPlatform(ProbePlatform& raw) : ProbePlatform(&raw), raw_(raw) {}

  // The reads that carry texts; every other read passes through unchanged.
  std::unique_ptr<wmi::WmiSession> connect(std::string_view wmi_namespace) override;
  std::optional<RegistryValue> registry_value(RegistryHive hive, std::string_view path,
                                              std::string_view name) override;
  std::vector<GraphicsAdapter> graphics_adapters() override;
  std::optional<DisplayConfig> display_config() override;
  std::vector<BatteryInfo> batteries() override;
  std::optional<CpuIdAnswer> cpuid() override;

 private:
  ProbePlatform& raw_;
};

}  // namespace kestro::probe

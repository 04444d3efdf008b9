#include "probe/clean_platform.h"

#include <cstddef>
#include <utility>

#include "probe/clean_text.h"

namespace kestro::probe {
namespace {

// A value that names an object goes back into a query or joins one answer to another: cut or
// changed, it names nothing. A disk's __PATH holds the computer's name twice and is about 260
// characters long on a PC that kept Windows' default name. Such values are never shown.
bool names_an_object(std::string_view property) {
  return property.starts_with("__") || property == "DeviceId";
}

class CleanSession final : public wmi::WmiSession {
 public:
  explicit CleanSession(std::unique_ptr<wmi::WmiSession> raw) : raw_(std::move(raw)) {}

  wmi::WmiResult query_text(std::string_view wql, wmi::PropertyList properties) override {
    wmi::WmiResult rows = raw_->query_text(wql, properties);
    if (!rows) return rows;
    for (wmi::WmiRow& row : *rows) {
      for (std::size_t i = 0; i < row.size(); ++i) {
        const bool identifier = i < properties.size() && names_an_object(properties[i]);
        if (row[i] && !identifier) row[i] = wmi::make_value(clean_text(*row[i]));
      }
    }
    return rows;
  }

 private:
  std::unique_ptr<wmi::WmiSession> raw_;
};

}  // namespace

std::unique_ptr<wmi::WmiSession> CleanPlatform::connect(std::string_view wmi_namespace) {
  std::unique_ptr<wmi::WmiSession> raw = raw_.connect(wmi_namespace);
  if (!raw) return nullptr;
  return std::make_unique<CleanSession>(std::move(raw));
}

std::optional<RegistryValue> CleanPlatform::registry_value(RegistryHive hive,
                                                           std::string_view path,
                                                           std::string_view name) {
  std::optional<RegistryValue> value = raw_.registry_value(hive, path, name);
  // Registry texts are not trimmed: the rules take them as written.
  if (value && std::holds_alternative<std::string>(*value)) {
    value = RegistryValue(clean_text(std::get<std::string>(*value)));
  }
  return value;
}

std::vector<GraphicsAdapter> CleanPlatform::graphics_adapters() {
  std::vector<GraphicsAdapter> adapters = raw_.graphics_adapters();
  for (GraphicsAdapter& adapter : adapters) adapter.name = clean_text(adapter.name);
  return adapters;
}

std::optional<DisplayConfig> CleanPlatform::display_config() {
  std::optional<DisplayConfig> config = raw_.display_config();
  if (config) {
    for (DisplayPath& path : config->paths) {
      if (path.friendly_name) path.friendly_name = clean_text(*path.friendly_name);
    }
  }
  return config;
}

std::vector<BatteryInfo> CleanPlatform::batteries() {
  std::vector<BatteryInfo> batteries = raw_.batteries();
  for (BatteryInfo& battery : batteries) battery.name = clean_text(battery.name);
  return batteries;
}

std::optional<CpuIdAnswer> CleanPlatform::cpuid() {
  std::optional<CpuIdAnswer> answer = raw_.cpuid();
  if (answer) answer->vendor = clean_text(answer->vendor);
  return answer;
}

}  // namespace kestro::probe

#pragma once
// The settings in HKEY_CURRENT_USER\Software\Kestro. Every call goes straight to the
// registry; the last writer wins when two instances run.

#include <string>
#include <utility>

#include "app/settings/settings.h"

namespace kestro::app {

class RegistrySettings final : public SettingsStore {
 public:
  RegistrySettings() = default;
  // Another key below HKEY_CURRENT_USER (tests use a scratch key).
  explicit RegistrySettings(std::string subkey) : subkey_(std::move(subkey)) {}

  std::optional<std::string> read_text(std::string_view name) override;
  void write_text(std::string_view name, std::string_view text) override;
  std::optional<std::uint32_t> read_auto_update() override;
  void write_number(std::string_view name, std::uint32_t value) override;
  std::optional<std::vector<std::uint8_t>> read_placement() override;
  void write_placement(std::span<const std::uint8_t> bytes) override;
  void remove_all() override;

 private:
  std::string subkey_{kSettingsKey};
};

}  // namespace kestro::app

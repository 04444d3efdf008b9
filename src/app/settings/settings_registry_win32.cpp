#include "app/settings/settings_registry_win32.h"

#include <windows.h>

#include "base/registry_win32.h"

namespace kestro::app {

std::optional<std::string> RegistrySettings::read_text(std::string_view name) {
  return read_registry_text(HKEY_CURRENT_USER, subkey_, name);
}

void RegistrySettings::write_text(std::string_view name, std::string_view text) {
  (void)write_registry_text(HKEY_CURRENT_USER, subkey_, name, text);
}

std::optional<std::uint32_t> RegistrySettings::read_auto_update() {
  return read_registry_dword(HKEY_CURRENT_USER, subkey_, kAutoUpdateValue);
}

void RegistrySettings::write_number(std::string_view name, std::uint32_t value) {
  (void)write_registry_dword(HKEY_CURRENT_USER, subkey_, name, value);
}

std::optional<std::vector<std::uint8_t>> RegistrySettings::read_placement() {
  return read_registry_binary(HKEY_CURRENT_USER, subkey_, kPlacementValue);
}

void RegistrySettings::write_placement(std::span<const std::uint8_t> bytes) {
  (void)write_registry_binary(HKEY_CURRENT_USER, subkey_, kPlacementValue, bytes);
}

void RegistrySettings::remove_all() { (void)delete_registry_tree(HKEY_CURRENT_USER, subkey_); }

}  // namespace kestro::app

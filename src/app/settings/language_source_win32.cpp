#include "app/settings/language_source_win32.h"

#include <windows.h>

#include "app/settings/settings_registry_win32.h"

namespace kestro::app {

std::optional<std::string> WindowsLanguageSource::stored_language() const {
  return RegistrySettings{}.read_text(kLanguageValue);
}

std::uint16_t WindowsLanguageSource::user_ui_langid() const { return GetUserDefaultUILanguage(); }

}  // namespace kestro::app

// The language inputs on Windows: the `Language` setting of the settings store and the
// user's default UI language.

#include <windows.h>

#include "app/settings_registry_win32.h"
#include "i18n/language.h"

namespace kestro {

namespace {

class WindowsLanguageSource final : public LanguageSource {
 public:
  // A value that is absent or not a readable text comes back as nothing and counts as
  // "Follow Windows".
  std::optional<std::string> stored_language() const override {
    return app::RegistrySettings{}.read_text(app::kLanguageValue);
  }
  std::uint16_t user_ui_langid() const override { return GetUserDefaultUILanguage(); }
};

}  // namespace

const LanguageSource& platform_language_source() {
  static const WindowsLanguageSource source;
  return source;
}

}  // namespace kestro

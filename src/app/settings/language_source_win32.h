#pragma once
// The language inputs on Windows: the `Language` setting of the settings store and the
// user's default UI language. The process entry installs it before anything is translated.

#include "i18n/language.h"

namespace kestro::app {

class WindowsLanguageSource final : public LanguageSource {
 public:
  // A value that is absent or not a readable text comes back as nothing and counts as
  // "Follow Windows".
  std::optional<std::string> stored_language() const override;
  std::uint16_t user_ui_langid() const override;
};

}  // namespace kestro::app

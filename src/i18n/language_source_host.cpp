// Language inputs where there is no Windows (host builds and their tests): no stored
// setting and an English (United States) user interface. The Windows build gets
// platform_language_source() from language_source_win32.cpp instead.
#ifndef _WIN32

#include "i18n/language.h"

namespace kestro {

namespace {

class HostLanguageSource final : public LanguageSource {
 public:
  std::optional<std::string> stored_language() const override { return std::nullopt; }
  std::uint16_t user_ui_langid() const override { return 0x0409; }
};

}  // namespace

const LanguageSource& platform_language_source() {
  static const HostLanguageSource source;
  return source;
}

}  // namespace kestro

#endif  // !_WIN32

#include "i18n/language.h"

#include "i18n/language_override.h"

namespace kestro {

namespace detail {
std::atomic<const LanguageOverride*> g_language_override{nullptr};
}  // namespace detail

namespace {

constexpr std::array<LanguageRow, 10> kLanguages{{
    {"en", "English"},
    {"ko", "한국어"},
    {"ja", "日本語"},
    {"zh-Hans", "简体中文"},
    {"zh-Hant", "繁體中文"},
    {"es", "Español"},
    {"fr", "Français"},
    {"de", "Deutsch"},
    {"pt", "Português"},
    {"ru", "Русский"},
}};

// Index into kLanguages of a code, or none. Byte for byte, case-sensitive, whole text.
std::optional<std::size_t> table_index(std::string_view code) {
  for (std::size_t i = 0; i < kLanguages.size(); ++i) {
    if (kLanguages[i].code == code) return i;
  }
  return std::nullopt;
}

std::string_view code_for_langid(std::uint16_t langid) {
  switch (langid & 0x3FF) {
    case 0x04:
      // Simplified script for the PRC and Singapore; Taiwan, Hong Kong and Macao write
      // traditional characters.
      return (langid == 0x0804 || langid == 0x1004) ? kLanguages[3].code : kLanguages[4].code;
    case 0x07: return kLanguages[7].code;
    case 0x0A: return kLanguages[5].code;
    case 0x0C: return kLanguages[6].code;
    case 0x11: return kLanguages[2].code;
    case 0x12: return kLanguages[1].code;
    case 0x16: return kLanguages[8].code;
    case 0x19: return kLanguages[9].code;
    default: return kLanguages[0].code;
  }
}

// The inputs when the process entry installed none (host builds and their tests).
class DefaultLanguageSource final : public LanguageSource {
 public:
  std::optional<std::string> stored_language() const override { return std::nullopt; }
  std::uint16_t user_ui_langid() const override { return 0x0409; }
};

std::atomic<const LanguageSource*> g_language_source{nullptr};

}  // namespace

void install_language_source(const LanguageSource& source) {
  g_language_source.store(&source, std::memory_order_release);
}

namespace detail {

// The setting text read here is dropped at once; only the table's own code is kept.
std::string_view process_language() {
  static const std::string_view chosen = [] {
    const DefaultLanguageSource fallback;
    const LanguageSource* installed = g_language_source.load(std::memory_order_acquire);
    const LanguageSource& source = installed != nullptr ? *installed : fallback;
    return choose_language(source.stored_language(), source.user_ui_langid());
  }();
  return chosen;
}

}  // namespace detail

const std::array<LanguageRow, 10>& language_table() { return kLanguages; }

std::string_view choose_language(std::optional<std::string_view> stored, std::uint16_t langid) {
  if (stored) {
    if (auto index = table_index(*stored)) return kLanguages[*index].code;
  }
  return code_for_langid(langid);
}

std::string_view current_language() {
  if (const auto* active = detail::g_language_override.load(std::memory_order_acquire)) {
    return active->language;
  }
  return detail::process_language();
}

}  // namespace kestro

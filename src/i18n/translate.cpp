#include "i18n/translate.h"

#include "i18n/language.h"
#include "i18n/language_override.h"

namespace kestro {

namespace {

// Storage for the one override a test may have alive; published through the atomic pointer.
detail::LanguageOverride g_override_slot{};

std::string_view canonical_code(std::string_view language) {
  for (const LanguageRow& row : language_table()) {
    if (row.code == language) return row.code;
  }
  return language_table()[0].code;  // not one of the ten: English, as the choice would give
}

// The catalog's entry for the English form, or the English form itself.
std::string_view lookup(const Catalog& catalog, const TextPair& pair) {
  if (catalog.empty()) return pair.en;
  const auto found = catalog.find(pair.en);
  return found == catalog.end() ? pair.en : std::string_view(found->second);
}

}  // namespace

std::string_view translate_with(std::string_view language, const Catalog& catalog,
                                const TextPair& pair) {
  if (language == "ko") return pair.ko;
  if (language == "en") return pair.en;
  return lookup(catalog, pair);
}

std::string_view translate(const TextPair& pair) {
  if (const auto* active = detail::g_language_override.load(std::memory_order_acquire)) {
    return translate_with(active->language, *active->catalog, pair);
  }
  const std::string_view language = detail::process_language();
  // Korean and English never build the catalog.
  if (language == "ko") return pair.ko;
  if (language == "en") return pair.en;
  return lookup(detail::process_catalog(), pair);
}

ScopedLanguageOverride::ScopedLanguageOverride(std::string_view language)
    : language_(canonical_code(language)), catalog_(parse_catalog(catalog_text(language_))) {
  g_override_slot = detail::LanguageOverride{language_, &catalog_};
  detail::g_language_override.store(&g_override_slot, std::memory_order_release);
}

ScopedLanguageOverride::~ScopedLanguageOverride() {
  detail::g_language_override.store(nullptr, std::memory_order_release);
}

}  // namespace kestro

#pragma once

#include <string_view>

#include "i18n/catalog.h"
#include "i18n/text_pair.h"

namespace kestro {

// Text of `pair` in `language`: the Korean form for "ko", the English form for "en",
// otherwise the catalog's entry for the English form, falling back to English. The result
// borrows from the pair or the catalog; it allocates nothing.
std::string_view translate_with(std::string_view language, const Catalog& catalog,
                                const TextPair& pair);

// Text of `pair` in the language in force for this process. Safe from any thread.
std::string_view translate(const TextPair& pair);

}  // namespace kestro

namespace kestro {

// For tests of text-producing code: while alive, translate() and current_language() answer
// for `language` (with its embedded catalog) instead of the process language. Only one may
// be alive at a time; not meant for concurrent use.
class ScopedLanguageOverride {
 public:
  explicit ScopedLanguageOverride(std::string_view language);
  ~ScopedLanguageOverride();
  ScopedLanguageOverride(const ScopedLanguageOverride&) = delete;
  ScopedLanguageOverride& operator=(const ScopedLanguageOverride&) = delete;

 private:
  std::string_view language_;
  Catalog catalog_;
};

}  // namespace kestro

#pragma once
// Internal to the i18n module: the language override that tests install through
// ScopedLanguageOverride. Read with one atomic load on every lookup.

#include <atomic>
#include <string_view>

#include "i18n/catalog.h"

namespace kestro::detail {

struct LanguageOverride {
  std::string_view language;  // points into language_table()
  const Catalog* catalog;
};

// Null while no override is alive.
extern std::atomic<const LanguageOverride*> g_language_override;

// The language chosen for the process (setting, else the Windows UI language), resolved once
// and ignoring any override.
std::string_view process_language();

// The catalog of process_language(), built once on first call, ignoring any override.
const Catalog& process_catalog();

}  // namespace kestro::detail

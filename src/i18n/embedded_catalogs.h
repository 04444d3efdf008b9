#pragma once
// The catalog texts compiled into the program. The definition is generated at build time from
// src/i18n/catalogs/*.json (see cmake/Catalogs.cmake); nothing is read from disk at run time.

#include <cstddef>
#include <string_view>

namespace kestro::detail {

struct EmbeddedCatalog {
  std::string_view code;  // language code, as in the language table
  std::string_view text;  // the JSON file's bytes, exactly
};

extern const EmbeddedCatalog kEmbeddedCatalogs[];
extern const std::size_t kEmbeddedCatalogCount;

}  // namespace kestro::detail

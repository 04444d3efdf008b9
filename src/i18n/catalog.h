#pragma once
// Translation catalogs: flat JSON objects from the English text to the translated text,
// embedded in the program at build time.

#include <string>
#include <string_view>
#include <unordered_map>

namespace kestro {

// Transparent hashing so that lookups by string_view allocate nothing.
struct CatalogHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const noexcept {
    return std::hash<std::string_view>{}(text);
  }
};

using Catalog = std::unordered_map<std::string, std::string, CatalogHash, std::equal_to<>>;

// The embedded catalog text of a language code: the catalog of that language for the eight
// catalog languages, "{}" for any other code.
std::string_view catalog_text(std::string_view code);

// Parses a catalog text. Any error (not an object, a non-string member, trailing data)
// gives an empty catalog; a repeated key keeps the later value. Never throws.
Catalog parse_catalog(std::string_view text);

// The catalog of current_language(), built once per process on first call.
const Catalog& catalog();

}  // namespace kestro

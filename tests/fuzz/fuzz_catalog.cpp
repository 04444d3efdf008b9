// parse_catalog against the JSON library's own document parser: a text that is one object of
// string members (surrounded by space, tab, line feed or carriage return only) gives exactly
// those members, the later of two equal keys winning; any other text gives an empty catalog.
// Also: parse_catalog never throws, and without escapes every key and value is a piece of
// the input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "fuzz/fuzz_check.h"
#include "i18n/catalog.h"

namespace {

// The members a correct parse must give, or nothing for a text that is not a catalog.
kestro::Catalog reference(std::string_view text) {
  kestro::Catalog expected;
  // A raw NUL ends the library's input early, and it skips a leading byte-order mark; a
  // catalog text may have neither.
  if (text.find('\0') != std::string_view::npos || text.starts_with("\xEF\xBB\xBF")) {
    return expected;
  }
  const nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
  if (document.is_discarded() || !document.is_object()) return expected;
  // The document keeps the later value of a repeated key.
  for (const auto& [key, value] : document.items()) {
    if (!value.is_string()) return {};
    expected.emplace(key, value.get_ref<const std::string&>());
  }
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kestro::Catalog parsed;
  try {
    parsed = kestro::parse_catalog(text);
  } catch (...) {
    FUZZ_CHECK(!"parse_catalog threw");
  }

  FUZZ_CHECK(parsed == reference(text));

  if (text.find('\\') == std::string_view::npos) {
    for (const auto& [key, value] : parsed) {
      FUZZ_CHECK(text.find("\"" + key + "\"") != std::string_view::npos);
      FUZZ_CHECK(text.find("\"" + value + "\"") != std::string_view::npos);
    }
  }
  return 0;
}

#include "i18n/catalog.h"

#include <nlohmann/json.hpp>

#include "i18n/embedded_catalogs.h"
#include "i18n/language_override.h"

namespace kestro {

namespace {

using json = nlohmann::json;

// Collects the members of one flat object whose values are all strings. Anything else (a
// nested value, a number, a top-level non-object) stops the parse, which the caller turns
// into an empty catalog. A repeated key keeps its later value.
class FlatStringObject {
 public:
  explicit FlatStringObject(Catalog& out) : out_(out) {}

  bool null() { return false; }
  bool boolean(bool) { return false; }
  bool number_integer(json::number_integer_t) { return false; }
  bool number_unsigned(json::number_unsigned_t) { return false; }
  bool number_float(json::number_float_t, const json::string_t&) { return false; }
  bool binary(json::binary_t&) { return false; }
  bool start_array(std::size_t) { return false; }
  bool end_array() { return false; }

  bool start_object(std::size_t) {
    if (opened_) return false;  // nested object as a value
    opened_ = true;
    return true;
  }
  bool end_object() { return true; }
  bool key(json::string_t& name) {
    key_ = std::move(name);
    return true;
  }
  bool string(json::string_t& value) {
    if (!opened_) return false;  // a bare string is not a catalog
    value.shrink_to_fit();
    key_.shrink_to_fit();
    out_.insert_or_assign(std::move(key_), std::move(value));
    key_.clear();
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
    return false;
  }

 private:
  Catalog& out_;
  std::string key_;
  bool opened_ = false;
};

std::string_view text_for(std::string_view code) {
  for (std::size_t i = 0; i < detail::kEmbeddedCatalogCount; ++i) {
    if (detail::kEmbeddedCatalogs[i].code == code) return detail::kEmbeddedCatalogs[i].text;
  }
  return "{}";
}

}  // namespace

std::string_view catalog_text(std::string_view code) { return text_for(code); }

Catalog parse_catalog(std::string_view text) {
  // The JSON library takes a NUL byte for the end of the input and silently skips a leading
  // byte-order mark. Neither is allowed in a catalog text (a raw NUL cannot appear anywhere in
  // JSON, and only space, tab, line feed and carriage return may surround the object), so
  // both are refused here: "{...}\0junk" must not pass as a good catalog.
  if (text.find('\0') != std::string_view::npos) return {};
  if (text.starts_with("\xEF\xBB\xBF")) return {};
  try {
    Catalog result;
    FlatStringObject handler(result);
    // strict: only white space may follow the object.
    const bool ok = json::sax_parse(text.begin(), text.end(), &handler,
                                    json::input_format_t::json, /*strict=*/true);
    if (!ok) return {};
    return result;
  } catch (...) {
    // Out of memory while building the map: no catalog, English everywhere.
    return {};
  }
}

namespace detail {

const Catalog& process_catalog() {
  // Built on first need from the process language, then read-only for the process's life.
  // Never destroyed: a worker thread may still translate while the process ends.
  static const Catalog& built = *new Catalog(parse_catalog(catalog_text(process_language())));
  return built;
}

}  // namespace detail

const Catalog& catalog() {
  if (const auto* active = detail::g_language_override.load(std::memory_order_acquire)) {
    return *active->catalog;
  }
  return detail::process_catalog();
}

}  // namespace kestro

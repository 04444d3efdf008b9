#include "probe/json_document.h"

#include "base/version.h"
#include "i18n/product.h"
#include "probe/json_fields.h"
#include "probe/section_registry.h"

namespace kestro::probe {

std::string json_document(const PcFacts& facts) {
  Json document = Json::object();
  document["format"] = "kestro-report";
  document["version"] = kJsonFormatVersion;
  document["product"] = Json{{"name", kProductName}, {"version", kVersion}};
  document["title"] = machine_name(facts.system).value_or(std::string(kThisPc.en));
  document["needs_admin"] = facts.storage.needs_admin;
  for (const SectionEntry& section : section_registry()) {
    if (section.write_json != nullptr) section.write_json(facts, document);
  }
  // Texts come from the platform as UTF-8; a stray byte is replaced rather than refused.
  return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace kestro::probe

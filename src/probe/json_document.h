#pragma once
// The report as a JSON document for scripts and inventory tools (docs/report.schema.json):
// the same whatever the interface language, English lower-snake-case keys, the facts as read
// and cleaned, and no key for a fact the report leaves out.

#include <cstdint>
#include <string>

#include "probe/facts.h"

namespace kestro::probe {

// Raised only when a key changes its meaning or goes away; a new key keeps it.
inline constexpr std::uint64_t kJsonFormatVersion = 1;

// The document as UTF-8 (any byte that is not UTF-8 becomes U+FFFD), ending with a line feed.
std::string json_document(const PcFacts& facts);

}  // namespace kestro::probe

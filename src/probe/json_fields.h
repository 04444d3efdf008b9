#pragma once
// Writing facts into the JSON document: keys keep the order they are written in, and a fact
// that is not there leaves its key out (never null, an empty text, an empty list or object).

#include <cstdint>
#include <optional>
#include <string_view>

#include <nlohmann/json.hpp>

#include "probe/date.h"

namespace kestro::probe {

using Json = nlohmann::ordered_json;

inline void put_text(Json& object, std::string_view key, std::string_view text) {
  if (!text.empty()) object[key] = text;
}

inline void put_number(Json& object, std::string_view key, std::optional<std::uint64_t> number) {
  if (number) object[key] = *number;
}

inline void put_date(Json& object, std::string_view key, std::optional<Date> date) {
  if (date) object[key] = date_text(*date);
}

// An object or list with at least one member.
inline void put_nonempty(Json& object, std::string_view key, Json value) {
  if (!value.empty()) object[key] = std::move(value);
}

}  // namespace kestro::probe

#pragma once
// Running the run's WMI queries and reading their rows by position, as every section step
// does, and the separators of value texts.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "probe/format.h"
#include "wmi/wmi.h"

namespace kestro::probe {

inline constexpr std::string_view kMiddleDot = " \xC2\xB7 ";  // " · "
inline constexpr std::string_view kTimesSign = " \xC3\x97 ";  // " × "

// wmi::query on the run's session; without a session (it could not be opened) the query does
// not run and counts as failed.
inline wmi::WmiResult query_on(wmi::WmiSession* session, std::string_view class_name,
                               wmi::PropertyList properties, std::string_view condition = {}) {
  if (session == nullptr) return std::nullopt;
  return wmi::query(*session, class_name, properties, condition);
}

// Position `index` of `row`; absent when the row is shorter than the request.
inline const wmi::WmiValue& value_at(const wmi::WmiRow& row, std::size_t index) {
  static const wmi::WmiValue absent;
  return index < row.size() ? row[index] : absent;
}

// parse_number of the value at `index`.
inline std::optional<std::uint64_t> number_at(const wmi::WmiRow& row, std::size_t index) {
  return parse_number(value_at(row, index));
}

// The text at `index`, empty when absent.
inline std::string_view text_at(const wmi::WmiRow& row, std::size_t index) {
  const wmi::WmiValue& value = value_at(row, index);
  return value ? std::string_view(*value) : std::string_view();
}

}  // namespace kestro::probe

#include "wmi/wmi.h"

#include "base/text.h"

namespace kestro::wmi {
namespace {

std::string build_query(std::string_view class_name, PropertyList properties,
                        std::string_view condition) {
  std::string text = "SELECT ";
  for (std::size_t i = 0; i < properties.size(); ++i) {
    if (i != 0) text += ", ";
    text += properties[i];
  }
  text += " FROM ";
  text += class_name;
  // Only an empty condition drops the WHERE; a condition of spaces is passed on unchanged
  // so that WMI, not this layer, judges it.
  if (!condition.empty()) {
    text += " WHERE ";
    text += condition;
  }
  return text;
}

}  // namespace

WmiResult query(WmiSession& session, std::string_view class_name, PropertyList properties,
                std::string_view condition) {
  return session.query_text(build_query(class_name, properties, condition), properties);
}

WmiValue make_value(std::optional<std::string> converted) {
  if (!converted) return std::nullopt;
  const std::string_view trimmed = trim(*converted);
  if (trimmed.empty()) return std::nullopt;
  return std::string(trimmed);
}

std::optional<std::string> cim_date(const WmiValue& text) {
  if (!text || text->size() < 8) return std::nullopt;
  const std::string_view digits = std::string_view(*text).substr(0, 8);
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  std::string date;
  date.reserve(10);
  date.append(digits.substr(0, 4)).append("-").append(digits.substr(4, 2)).append("-").append(
      digits.substr(6, 2));
  return date;
}

WmiResult RowCollector::finish(bool failed) && {
  // An enumeration that breaks before its first object never ran as far as the caller can
  // tell; one that breaks later keeps what it delivered.
  if (failed && rows_.empty()) return std::nullopt;
  rows_.complete = !failed;
  return std::move(rows_);
}

}  // namespace kestro::wmi

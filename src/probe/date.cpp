#include "probe/date.h"

#include <string_view>

namespace kestro::probe {
namespace {

unsigned digits_value(std::string_view digits) {
  unsigned value = 0;
  for (const char c : digits) value = value * 10 + static_cast<unsigned>(c - '0');
  return value;
}

void append_padded(std::string& text, unsigned value, std::size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) text.append(width - digits.size(), '0');
  text.append(digits);
}

}  // namespace

std::optional<Date> cim_day(const wmi::WmiValue& text) {
  const std::optional<std::string> iso = wmi::cim_date(text);  // "YYYY-MM-DD", digits checked
  if (!iso) return std::nullopt;
  const std::string_view day = *iso;
  return Date{static_cast<std::uint16_t>(digits_value(day.substr(0, 4))),
              static_cast<std::uint8_t>(digits_value(day.substr(5, 2))),
              static_cast<std::uint8_t>(digits_value(day.substr(8, 2)))};
}

std::string date_text(Date date) {
  std::string text;
  text.reserve(10);
  append_padded(text, date.year, 4);
  text.push_back('-');
  append_padded(text, date.month, 2);
  text.push_back('-');
  append_padded(text, date.day, 2);
  return text;
}

}  // namespace kestro::probe

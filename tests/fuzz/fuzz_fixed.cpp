// fixed against the C library's "%.*f" (the fuzzer runs in the "C" locale), and the shape of
// the two size texts.
// Input: 8 bytes of a double or a byte count, then one byte for the number of decimals.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "probe/format.h"

namespace {

// Digits, optionally "." and one digit, a space and one of the units.
bool is_size_text(std::string_view s, std::initializer_list<std::string_view> units) {
  const std::size_t space = s.find(' ');
  if (space == std::string_view::npos || space == 0) return false;
  std::string_view number = s.substr(0, space);
  const std::string_view unit = s.substr(space + 1);
  bool unit_ok = false;
  for (std::string_view u : units) unit_ok = unit_ok || unit == u;
  if (!unit_ok) return false;
  if (number.size() >= 3 && number[number.size() - 2] == '.') {
    if (number.back() < '0' || number.back() > '9') return false;
    number.remove_suffix(2);
  }
  if (number.size() > 1 && number[0] == '0') return false;
  return !number.empty() && number.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 9) return 0;
  double value = 0.0;
  std::uint64_t bytes = 0;
  std::memcpy(&value, data, sizeof value);
  std::memcpy(&bytes, data, sizeof bytes);
  const int decimals = data[8] % 24;

  char expected[400];
  std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
  FUZZ_CHECK(kestro::fixed(value, decimals) == expected);

  const std::string b = kestro::format_bytes(bytes);
  FUZZ_CHECK(is_size_text(b, {"B", "KB", "MB", "GB", "TB"}));
  if (bytes < 1024) FUZZ_CHECK(b == kestro::decimal(bytes) + " B");

  const std::string d = kestro::format_disk_size(bytes);
  FUZZ_CHECK(is_size_text(d, {"GB", "TB"}));
  FUZZ_CHECK(d.find(".0 TB") == std::string::npos);

  const std::string dec = kestro::decimal(bytes);
  FUZZ_CHECK(dec == std::to_string(bytes));
  return 0;
}

// parse_number against the C library's strtod (the fuzzer runs in the "C" locale) and a few
// properties that must hold for every text.
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "base/text.h"
#include "fuzz/fuzz_check.h"
#include "probe/format.h"

namespace {

std::uint64_t saturate(double d) {
  if (d >= 18446744073709551616.0) return std::numeric_limits<std::uint64_t>::max();
  return static_cast<std::uint64_t>(d);
}

bool only_number_characters(std::string_view s) {
  return s.find_first_not_of("0123456789.+-eEiInNfFtTyY") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<std::uint64_t> result = kestro::parse_number(text);
  const std::string_view trimmed = kestro::trim(text);

  // Surrounding white space never matters.
  FUZZ_CHECK(kestro::parse_number(trimmed) == result);
  FUZZ_CHECK(!kestro::parse_number(std::nullopt));

  if (result) {
    FUZZ_CHECK(!trimmed.empty());
    FUZZ_CHECK(only_number_characters(trimmed));
    // A minus sign is only accepted in front of zero.
    if (trimmed.front() == '-') FUZZ_CHECK(*result == 0);
  }

  // Plain digit strings that a double holds exactly come back unchanged.
  if (!trimmed.empty() && trimmed.size() <= 15 &&
      trimmed.find_first_not_of("0123456789") == std::string_view::npos) {
    std::uint64_t exact = 0;
    for (char c : trimmed) exact = exact * 10 + static_cast<std::uint64_t>(c - '0');
    FUZZ_CHECK(result == exact);
  }

  // Reference: strtod over the trimmed text. Hexadecimal forms are strtod's own extension, and
  // a negative text that underflows to -0 is still a negative number, so both are left out.
  const std::string copy(trimmed);
  if (copy.find_first_of("xX") != std::string::npos || copy.find('\0') != std::string::npos) {
    return 0;
  }
  char* end = nullptr;
  errno = 0;
  const double d = std::strtod(copy.c_str(), &end);
  const bool whole = !copy.empty() && end == copy.c_str() + copy.size();
  if (!whole || std::isnan(d)) {
    FUZZ_CHECK(!result);
  } else if (d < 0.0) {
    FUZZ_CHECK(!result);
  } else if (copy.front() != '-' || (d == 0.0 && errno == 0)) {
    FUZZ_CHECK(result && *result == saturate(d));
  }
  return 0;
}

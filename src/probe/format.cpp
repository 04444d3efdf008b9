#include "probe/format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include "base/text.h"

namespace kestro {
namespace {

// Decides the direction of a value that std::from_chars reported as out of range: true if
// the decimal text [p, end) is at least 1 in magnitude (so it overflowed), false if it is
// below 1 (so it underflowed). The text has already been matched as a decimal number.
bool magnitude_at_least_one(const char* p, const char* end) {
  long long order = 0;  // decimal exponent of the first significant digit, before "e"
  bool seen_significant = false;
  bool in_fraction = false;
  long long leading_fraction_zeros = 0;
  for (; p < end && *p != 'e' && *p != 'E'; ++p) {
    if (*p == '.') {
      in_fraction = true;
    } else if (!in_fraction) {
      if (seen_significant) {
        ++order;
      } else if (*p != '0') {
        seen_significant = true;
      }
    } else if (!seen_significant) {
      if (*p != '0') {
        seen_significant = true;
        order = -(leading_fraction_zeros + 1);
      } else {
        ++leading_fraction_zeros;
      }
    }
  }
  long long exponent = 0;
  if (p < end) {
    ++p;  // the 'e'
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = (*p++ == '-');
    for (; p < end; ++p) {
      if (exponent < 1'000'000'000'000LL) exponent = exponent * 10 + (*p - '0');
    }
    if (negative) exponent = -exponent;
  }
  return order + exponent >= 0;
}

// "%.Nf" into buf; returns the end. The buffer holds the widest finite double (309 integer
// digits) with a sign, a point and up to kMaxDecimals decimals.
constexpr int kMaxDecimals = 100;
using FixedBuffer = std::array<char, 320 + kMaxDecimals>;

char* write_fixed(FixedBuffer& buf, double value, int decimals) {
  if (decimals < 0) decimals = 0;
  if (decimals > kMaxDecimals) decimals = kMaxDecimals;
  const auto result =
      std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed, decimals);
  return result.ptr;  // cannot fail: the buffer is large enough for every double
}

std::string with_unit(double value, int decimals, std::string_view unit) {
  FixedBuffer buf;
  char* end = write_fixed(buf, value, decimals);
  std::string out;
  out.reserve(static_cast<std::size_t>(end - buf.data()) + 1 + unit.size());
  out.append(buf.data(), end);
  out.push_back(' ');
  out.append(unit);
  return out;
}

// Replaces every occurrence of `marker` in `text` by `arg`, in place. A marker starts with
// its only "{", so occurrences never overlap and may be rewritten from either end.
void replace_all_in_place(std::string& text, std::string_view marker, std::string_view arg) {
  std::size_t count = 0;
  for (std::size_t pos = text.find(marker); pos != std::string::npos;
       pos = text.find(marker, pos + marker.size())) {
    ++count;
  }
  if (count == 0) return;

  const std::size_t old_size = text.size();
  if (arg.size() <= marker.size()) {
    // Shrinks: compact from the front.
    std::size_t read = 0;
    std::size_t write = 0;
    for (std::size_t pos = text.find(marker); pos != std::string::npos;
         pos = text.find(marker, read)) {
      std::memmove(&text[write], &text[read], pos - read);
      write += pos - read;
      if (!arg.empty()) std::memcpy(&text[write], arg.data(), arg.size());
      write += arg.size();
      read = pos + marker.size();
    }
    std::memmove(&text[write], &text[read], old_size - read);
    text.resize(write + old_size - read);
    return;
  }

  // Grows: make room, then move from the back so nothing unread is overwritten.
  const std::size_t new_size = old_size + count * (arg.size() - marker.size());
  text.resize(new_size);
  std::size_t read = old_size;
  std::size_t write = new_size;
  while (read >= marker.size()) {
    const std::size_t pos = text.rfind(marker, read - marker.size());
    if (pos == std::string::npos) break;
    const std::size_t tail = read - (pos + marker.size());
    write -= tail;
    std::memmove(&text[write], &text[pos + marker.size()], tail);
    write -= arg.size();
    std::memcpy(&text[write], arg.data(), arg.size());
    read = pos;
  }
  // Whatever is left before the first marker is already in place (write == read).
}

}  // namespace

std::optional<std::uint64_t> parse_number(std::optional<std::string_view> text) {
  if (!text) return std::nullopt;
  const std::string_view s = trim(*text);
  const char* p = s.data();
  const char* const end = p + s.size();

  // std::from_chars takes a '-' but not a '+'; read the sign here so both are treated alike.
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = (*p++ == '-');
  if (p == end || *p == '+' || *p == '-') return std::nullopt;

  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(p, end, value, std::chars_format::general);
  if (ptr != end) return std::nullopt;  // nothing matched, or trailing text
  if (ec == std::errc::result_out_of_range) {
    // Beyond double's range: a non-negative text either saturates or is a tiny fraction.
    if (negative) return std::nullopt;
    if (magnitude_at_least_one(p, end)) return std::numeric_limits<std::uint64_t>::max();
    return 0;
  }
  if (ec != std::errc()) return std::nullopt;
  if (std::isnan(value)) return std::nullopt;
  // "-0" and "-0.0" name zero, which is not negative; any other signed value is.
  if (negative && value != 0.0) return std::nullopt;
  if (value >= 18446744073709551616.0) return std::numeric_limits<std::uint64_t>::max();
  return static_cast<std::uint64_t>(value);  // truncates toward zero
}

bool is_placeholder(std::string_view text) {
  if (text.empty()) return true;
  if (equals_ignoring_ascii_case(text, "unknown") || equals_ignoring_ascii_case(text, "o.e.m.") ||
      equals_ignoring_ascii_case(text, "none")) {
    return true;
  }
  for (std::string_view phrase :
       {"to be filled", "default string", "system product name", "system manufacturer"}) {
    if (contains_ignoring_ascii_case(text, phrase)) return true;
  }
  return false;
}

std::string fill_template(std::string_view templ, std::initializer_list<std::string_view> args) {
  if (args.size() == 0) return std::string(templ);

  std::array<char, 24> marker_buf{};
  auto marker_for = [&marker_buf](std::size_t i) {
    marker_buf[0] = '{';
    char* end =
        std::to_chars(marker_buf.data() + 1, marker_buf.data() + marker_buf.size() - 1, i).ptr;
    *end++ = '}';
    return std::string_view(marker_buf.data(), static_cast<std::size_t>(end - marker_buf.data()));
  };

  // Reserve the largest size the text reaches after any step, counting the markers already
  // in the template. That is exact unless an argument brings in markers of its own; then the
  // string simply grows.
  std::size_t size = templ.size();
  std::size_t capacity = 0;
  std::size_t index = 0;
  for (std::string_view arg : args) {
    const std::string_view marker = marker_for(index++);
    for (std::size_t pos = templ.find(marker); pos != std::string_view::npos;
         pos = templ.find(marker, pos + marker.size())) {
      size = size - marker.size() + arg.size();
    }
    capacity = std::max(capacity, size);
  }

  std::string out;
  out.reserve(capacity);
  // Step 0 copies the template with its "{0}" markers filled; the later steps work in place.
  auto arg = args.begin();
  const std::string_view marker0 = marker_for(0);
  std::size_t from = 0;
  for (std::size_t pos = templ.find(marker0); pos != std::string_view::npos;
       pos = templ.find(marker0, from)) {
    out.append(templ.substr(from, pos - from));
    out.append(*arg);
    from = pos + marker0.size();
  }
  out.append(templ.substr(from));
  for (index = 1, ++arg; arg != args.end(); ++index, ++arg) {
    replace_all_in_place(out, marker_for(index), *arg);
  }
  return out;
}

std::uint64_t whole_number(double value) {
  const double below = std::floor(value);
  const double fraction = value - below;  // exact for every double
  auto whole = static_cast<std::uint64_t>(below);
  if (fraction > 0.5 || (fraction == 0.5 && whole % 2 == 1)) ++whole;
  return whole;
}

std::string fixed(double value, int decimals) {
  FixedBuffer buf;
  char* end = write_fixed(buf, value, decimals);
  return std::string(buf.data(), end);
}

std::string decimal(std::uint64_t value) {
  std::array<char, 20> buf;
  const auto result = std::to_chars(buf.data(), buf.data() + buf.size(), value);
  return std::string(buf.data(), result.ptr);
}

std::string format_bytes(std::uint64_t bytes) {
  static constexpr std::array<std::string_view, 5> kUnits = {"B", "KB", "MB", "GB", "TB"};
  if (bytes < 1024) return with_unit(static_cast<double>(bytes), 0, kUnits[0]);
  double v = static_cast<double>(bytes) / 1024.0;
  std::size_t unit = 1;
  while (v >= 1024.0 && unit < kUnits.size() - 1) {
    v /= 1024.0;
    ++unit;
  }
  const bool whole = v >= 100.0 || std::fabs(v - std::round(v)) < 0.05;
  return with_unit(v, whole ? 0 : 1, kUnits[unit]);
}

std::string format_disk_size(std::uint64_t bytes) {
  const double g = static_cast<double>(bytes) / 1'000'000'000.0;
  if (g < 1000.0 || std::isnan(g)) return with_unit(g, 0, "GB");
  FixedBuffer buf;
  char* end = write_fixed(buf, g / 1000.0, 1);
  // A whole number of TB is written without its ".0".
  if (end - buf.data() >= 2 && end[-2] == '.' && end[-1] == '0') end -= 2;
  std::string out;
  out.reserve(static_cast<std::size_t>(end - buf.data()) + 3);
  out.append(buf.data(), end);
  out.append(" TB");
  return out;
}

}  // namespace kestro

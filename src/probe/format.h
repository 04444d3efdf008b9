#pragma once
// Pure text and number helpers that turn raw system values into report texts. Numbers are
// written with ASCII digits and "." whatever the interface language or process locale.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace kestro {

// Trimmed decimal floating-point text (sign, fraction, exponent, inf/infinity/nan in any case)
// truncated toward zero and saturated to 64 bits; negative, NaN or anything else: absent.
std::optional<std::uint64_t> parse_number(std::optional<std::string_view> text);

// Firmware placeholder texts ("To Be Filled By O.E.M.", "Default string", empty, ...).
bool is_placeholder(std::string_view text);

// Replaces every "{i}" with argument i, for i = 0, 1, ... in turn over the whole current text.
std::string fill_template(std::string_view templ, std::initializer_list<std::string_view> args);

// Exactly N decimals, correctly rounded from the binary value with ties to even (as "%.Nf"),
// independent of the process locale.
std::string fixed(double value, int decimals);

// The whole number nearest to `value` (0 to 2^53), halves to even: the number fixed(value, 0)
// writes, so that a JSON number is the one its row shows.
std::uint64_t whole_number(double value);

// Firmware may report absurd figures (parse_number saturates); a sum must not wrap round to a
// small, plausible-looking one.
constexpr std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b) {
  return b > UINT64_MAX - a ? UINT64_MAX : a + b;
}

// Plain decimal digits, no sign, grouping or leading zeros.
std::string decimal(std::uint64_t value);

// 1024-based: B, KB, MB, GB, TB; one decimal only below 100 and away from a whole number.
std::string format_bytes(std::uint64_t bytes);

// Decimal: whole GB below 1000 GB, then TB with one decimal (".0" dropped).
std::string format_disk_size(std::uint64_t bytes);

}  // namespace kestro

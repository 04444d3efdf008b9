#pragma once
// Small text helpers every module shares: Unicode white space, ASCII letter case and plain
// unsigned decimal numbers. Texts are UTF-8.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestro {

// Unicode White_Space: U+0009-U+000D, U+0020, U+0085, U+00A0, U+1680, U+2000-U+200A,
// U+2028, U+2029, U+202F, U+205F, U+3000.
std::string_view trim(std::string_view text);
// Runs of white space become one space; none is left at either end.
std::string normalize_spaces(std::string_view text);

constexpr char ascii_lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
// Only A to Z change; every other byte stays.
std::string ascii_lower(std::string_view text);
bool equals_ignoring_ascii_case(std::string_view a, std::string_view b);
// Whether `lower` (already lower case) occurs in `text`, ASCII letters compared without case.
bool contains_ignoring_ascii_case(std::string_view text, std::string_view lower);

// A plain unsigned decimal: an optional leading "+", then ASCII digits only (leading zeros
// allowed), at most `maximum`. Anything else (empty, a lone "+", a sign "-", blanks, other
// characters, a larger value): nothing.
std::optional<std::uint64_t> parse_unsigned(std::string_view text,
                                            std::uint64_t maximum = UINT64_MAX);

}  // namespace kestro

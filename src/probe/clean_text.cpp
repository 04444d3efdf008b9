#include "probe/clean_text.h"

#include <cstdint>

namespace kestro::probe {
namespace {

bool is_control(char32_t c) { return c <= 0x1F || (c >= 0x7F && c <= 0x9F); }

bool is_invisible_format(char32_t c) {
  return c == 0x061C || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF;
}

// The length of the valid UTF-8 sequence at the start of `text` and its code point; 0 when the
// first byte does not begin one.
std::size_t decode(std::string_view text, char32_t& c) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(0);
  if (lead < 0x80) {
    c = lead;
    return 1;
  }
  std::size_t length = 0;
  char32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    c = c << 6 | (byte(i) & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::string clean_text(std::string_view utf8) {
  std::string clean;
  clean.reserve(utf8.size());
  std::size_t kept = 0;
  while (!utf8.empty() && kept < kLongestText) {
    char32_t c = 0;
    std::size_t length = decode(utf8, c);
    if (length == 0) {
      length = 1;  // a stray byte stays for the later rules, as before
      clean += utf8.front();
      ++kept;
    } else if (is_control(c)) {
      clean += ' ';
      ++kept;
    } else if (!is_invisible_format(c)) {
      clean.append(utf8.substr(0, length));
      ++kept;
    }
    utf8.remove_prefix(length);
  }
  return clean;
}

}  // namespace kestro::probe

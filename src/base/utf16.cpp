#include "base/utf16.h"

#include "base/utf8.h"

namespace kestro {
namespace {

bool is_high_surrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool is_low_surrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::u16string to_utf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const Utf8Step step = decode_utf8(utf8, i);
    const char32_t cp = step.code;
    i += step.length;
    if (cp >= 0x10000) {
      const char32_t v = cp - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string to_utf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t u = utf16[i];
    if (is_high_surrogate(u) && i + 1 < utf16.size() && is_low_surrogate(utf16[i + 1])) {
      const char32_t cp = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                          (static_cast<char32_t>(utf16[i + 1]) - 0xDC00);
      append_utf8(out, cp);
      ++i;
    } else if (is_high_surrogate(u) || is_low_surrogate(u)) {
      append_utf8(out, kReplacementCharacter);
    } else {
      append_utf8(out, u);
    }
  }
  return out;
}

std::string utf8_up_to_nul(const char16_t* units, std::size_t max_units) {
  if (units == nullptr) return {};
  std::size_t length = 0;
  while (length < max_units && units[length] != u'\0') ++length;
  return to_utf8(std::u16string_view(units, length));
}

}  // namespace kestro

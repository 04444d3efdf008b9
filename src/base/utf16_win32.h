#pragma once
// Windows-side companions of utf16.h: wchar_t is a UTF-16 unit on Windows.

#include <string>
#include <string_view>

#include "base/utf16.h"

namespace kestro {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is a UTF-16 unit");

inline std::wstring to_wide(std::string_view utf8) {
  std::u16string units = to_utf16(utf8);
  return std::wstring(units.begin(), units.end());
}

inline std::string from_wide(std::wstring_view wide) {
  return to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

inline std::string from_wide_up_to_nul(const wchar_t* units, std::size_t max_units) {
  return utf8_up_to_nul(reinterpret_cast<const char16_t*>(units), max_units);
}

}  // namespace kestro

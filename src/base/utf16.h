#pragma once
// The one place where text changes between UTF-8 (used everywhere inside the program) and
// UTF-16 (what every Windows call takes and gives).

#include <cstddef>
#include <string>
#include <string_view>

namespace kestro {

// UTF-8 to UTF-16. Invalid UTF-8 sequences become U+FFFD.
std::u16string to_utf16(std::string_view utf8);

// UTF-16 to UTF-8, up to the end of the view. Unpaired surrogates become U+FFFD.
std::string to_utf8(std::u16string_view utf16);

// UTF-16 text from a fixed buffer, read up to the first NUL or `max_units`, whichever
// comes first (drivers and the registry hand out such buffers).
std::string utf8_up_to_nul(const char16_t* units, std::size_t max_units);

}  // namespace kestro

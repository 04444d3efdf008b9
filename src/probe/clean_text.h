#pragma once
// Texts from firmware, drivers and devices as the probe's rules may see them. Such a text can
// carry line feeds that forge a section of the plain-text report, escape sequences a console
// obeys, a NUL that cuts the clipboard short, or a right-to-left override that reverses a name
// on screen.

#include <cstddef>
#include <string>
#include <string_view>

namespace kestro::probe {

// The longest text kept, in code points.
inline constexpr std::size_t kLongestText = 256;

// Every character of U+0000-U+001F and U+007F-U+009F becomes a space; the invisible format
// characters U+061C, U+200B-U+200F, U+202A-U+202E, U+2060-U+2069 and U+FEFF go; the text ends
// after kLongestText code points. A byte that does not begin a valid UTF-8 sequence passes
// through as it is and counts as one.
std::string clean_text(std::string_view utf8);

}  // namespace kestro::probe

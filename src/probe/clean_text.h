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

// Every control character (U+0000-U+001F, U+007F-U+009F) and the line and paragraph
// separators U+2028 and U+2029 become a space; every format character (Unicode's category Cf:
// direction marks and overrides, zero-width characters, the soft hyphen, byte-order marks, tag
// characters, ...) and every variation selector goes; the text ends after kLongestText code
// points. A byte that does not begin a valid UTF-8 sequence passes
// through as it is and counts as one.
std::string clean_text(std::string_view utf8);

}  // namespace kestro::probe

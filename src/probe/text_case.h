#pragma once
// Lower-casing for comparing maker and model names written in any script.

#include <string>
#include <string_view>

namespace kestro::probe {

// Full lower-casing of UTF-8 text for the scripts firmware names are written in (see the
// coverage note in text_case.cpp). Bytes that are not valid UTF-8 pass through unchanged.
std::string lower_case(std::string_view utf8);

}  // namespace kestro::probe

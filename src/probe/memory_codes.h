#pragma once
// Module makers and part numbers as firmware sometimes writes them: the maker as its JEDEC
// code ("80AD000080AD" is SK hynix) and the part number as its ASCII bytes in hex.

#include <string>
#include <string_view>

namespace kestro::probe {

// The maker's name for a JEDEC code of 4 to 16 hex digits (an optional "0x" before them),
// read as continuation bank and ID; any other text, or a code without a known name, comes
// back trimmed and otherwise unchanged.
std::string memory_maker_name(std::string_view manufacturer);

// "0x" and at least 8 hex digits whose bytes, without trailing zero bytes, are printable
// ASCII: that text, trimmed. Anything else comes back trimmed and otherwise unchanged.
std::string decoded_part_number(std::string_view part_number);

}  // namespace kestro::probe

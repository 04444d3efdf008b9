#pragma once
// What a failure that would otherwise leave no trace writes to the debug output.

#include <cstdint>
#include <string>
#include <string_view>

namespace kestro {

// "Kestro: <what> failed (0x887A0005)".
std::string failure_line(std::string_view what, std::uint32_t code);
// "Kestro: <what>: <detail>".
std::string failure_line(std::string_view what, std::string_view detail);

}  // namespace kestro

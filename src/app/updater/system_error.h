#pragma once
// The text shown when an operating-system call fails: the system's own message on one line,
// then " (os error N)".

#include <cstdint>
#include <string>
#include <string_view>

namespace kestro::updater {

// `message` as the system gave it (it may end in CR LF, or span lines): white space runs
// become one space and none is left at either end, so a toast shows one line. Without a
// message only "(os error N)" remains.
std::string system_error_text(std::string_view message, std::uint32_t code);

}  // namespace kestro::updater

#pragma once
// The text of a failed operating-system call, for the user.

#include <windows.h>

#include <string>

namespace kestro::updater {

// The system's message for `code` on one line, then " (os error N)".
std::string os_error_text(DWORD code);

}  // namespace kestro::updater

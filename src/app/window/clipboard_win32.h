#pragma once
// Unicode text onto the clipboard.

#include <windows.h>

#include <string_view>

namespace kestro::app {

// Puts the UTF-8 `text` on the clipboard as CF_UNICODETEXT with every LF turned into CR LF.
// False when the clipboard could not be opened or the text could not be handed over; the
// clipboard is closed again on every path.
bool set_clipboard_text(HWND owner, std::string_view text);

}  // namespace kestro::app

#pragma once
// Starts one probe run on a detached thread of its own. The outcome goes into probe_slot(),
// then `done_message` is posted to `window` (wParam 0, lParam 0), also when the run broke off.
// False when no thread could be started; then nothing will be posted.

#include <windows.h>

namespace kestro::probe {

bool start_probe_thread(HWND window, UINT done_message);

}  // namespace kestro::probe

#pragma once
// Starts one probe run on a detached thread of its own. The finished report goes into
// ProbeSlot, then WM_APP_PROBE_DONE is posted to `window`. False when no thread could be
// started; then nothing will be posted.

#include <windows.h>

namespace kestro::probe {

bool start_probe_thread(HWND window);

}  // namespace kestro::probe

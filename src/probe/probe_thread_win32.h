#pragma once
// Starts one probe run on a detached thread of its own. The finished report goes into
// ProbeSlot, then WM_APP_PROBE_DONE is posted to `window`.

#include <windows.h>

namespace kestro::probe {

void start_probe_thread(HWND window);

}  // namespace kestro::probe

#pragma once
// Private messages that worker threads post to the main window, without data: the window
// then empties the worker's hand-over slot.

#include <windows.h>

namespace kestro::app {

constexpr UINT WM_APP_PROBE_DONE = WM_APP + 1;
static_assert(WM_APP_PROBE_DONE == 0x8001);

}  // namespace kestro::app

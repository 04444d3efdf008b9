#pragma once
// Private messages that worker threads post to the main window, without data: the window
// then empties the worker's hand-over slot.

#include <windows.h>

namespace kestro::app {

constexpr UINT WM_APP_PROBE_DONE = WM_APP + 1;
static_assert(WM_APP_PROBE_DONE == 0x8001);
constexpr UINT WM_APP_UPDATE_RESULT = WM_APP + 2;
static_assert(WM_APP_UPDATE_RESULT == 0x8002);
constexpr UINT WM_APP_DOWNLOAD_DONE = WM_APP + 3;
static_assert(WM_APP_DOWNLOAD_DONE == 0x8003);

// UI Automation's threads asked for something (invoke, focus, a fresh tree); the window takes
// the requests from its accessibility hub. Far from the workers' messages.
constexpr UINT WM_APP_ACCESS_ACTION = WM_APP + 0x40;
static_assert(WM_APP_ACCESS_ACTION == 0x8040);

}  // namespace kestro::app

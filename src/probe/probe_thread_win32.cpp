#include "probe/probe_thread_win32.h"

#include <thread>

#include "app/messages_win32.h"
#include "probe/platform_win32.h"
#include "probe/probe_slot.h"
#include "probe/sections.h"

namespace kestro::probe {

void start_probe_thread(HWND window) {
  std::thread([window] {
    WindowsProbePlatform platform;  // initialises COM for this thread for the run
    ProbeSlot::instance().put(run_probe(platform));
    // The report is in the slot before the window hears of it. A failed post is not retried:
    // the window is gone or its queue is full.
    PostMessageW(window, app::WM_APP_PROBE_DONE, 0, 0);
  }).detach();
}

}  // namespace kestro::probe

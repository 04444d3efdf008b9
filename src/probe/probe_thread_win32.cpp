#include "probe/probe_thread_win32.h"

#include <system_error>
#include <thread>

#include "app/messages_win32.h"
#include "probe/platform_win32.h"
#include "probe/probe_slot.h"
#include "probe/sections.h"

namespace kestro::probe {

bool start_probe_thread(HWND window) {
  try {
    std::thread([window] {
      WindowsProbePlatform platform;  // initialises COM for this thread for the run
      ProbeSlot::instance().put(run_probe(platform));
      // The report is in the slot before the window hears of it. A failed post is not
      // retried: the window is gone or its queue is full.
      PostMessageW(window, app::WM_APP_PROBE_DONE, 0, 0);
    }).detach();
    return true;
  } catch (const std::system_error&) {
    // No thread could be started (out of resources). This runs inside the window procedure,
    // which an exception must not cross; the caller decides what the window shows.
    return false;
  }
}

}  // namespace kestro::probe

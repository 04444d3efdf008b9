#include "probe/probe_thread_win32.h"

#include "base/handles_win32.h"
#include "base/worker.h"
#include "probe/platform_win32.h"
#include "probe/probe_slot.h"
#include "probe/sections.h"

namespace kestro::probe {

bool start_probe_thread(HWND window, UINT done_message) {
  return start_worker(
      [] {
        const ComApartment com(COINIT_MULTITHREADED);
        WindowsProbePlatform platform;
        return ProbeOutcome{run_probe(platform)};
      },
      [window, done_message](ProbeOutcome outcome) {
        probe_slot().put(std::move(outcome));
        // The outcome is in the slot before the window hears of it. A failed post is not
        // retried: the window is gone or its queue is full.
        PostMessageW(window, done_message, 0, 0);
      },
      ProbeOutcome{});
}

}  // namespace kestro::probe

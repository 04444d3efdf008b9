#include "probe/probe_thread_win32.h"

#include "base/handles_win32.h"
#include "probe/platform_win32.h"
#include "probe/run_probe.h"

namespace kestro::probe {

bool start_probe_thread(SharedSlot<ProbeOutcome> slot, PostTo done) {
  return start_hand_over(
      std::move(slot),
      [] {
        const ComApartment com(COINIT_MULTITHREADED);
        WindowsProbePlatform platform;
        return ProbeOutcome{run_probe(platform)};
      },
      done, ProbeOutcome{});
}

}  // namespace kestro::probe

#pragma once
// Starts one probe run on a detached thread of its own. The outcome goes into `slot`, then
// `done` tells the window, also when the run broke off. False when no thread could be
// started; then nothing will be put or posted.

#include "base/window_handle_win32.h"
#include "base/worker.h"
#include "probe/probe_slot.h"

namespace kestro::probe {

bool start_probe_thread(SharedSlot<ProbeOutcome> slot, PostTo done);

}  // namespace kestro::probe

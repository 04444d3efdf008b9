#pragma once
// The hand-over of a finished probe run from the probe thread to the window thread.

#include <optional>

#include "base/hand_over_slot.h"
#include "probe/report.h"

namespace kestro::probe {

// What one probe run hands over: its report, or none when the run broke off (an exception
// such as running out of memory escaped it).
struct ProbeOutcome {
  std::optional<Report> report;
};

using ProbeSlot = HandOverSlot<ProbeOutcome>;

}  // namespace kestro::probe

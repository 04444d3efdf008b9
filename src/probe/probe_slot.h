#pragma once
// The hand-over of a finished report from the probe thread to the window thread: one
// process-wide slot holding at most one report. The lock is held only to swap a report in or
// out, never while a probe collects.

#include <mutex>
#include <optional>

#include "probe/report.h"

namespace kestro::probe {

class ProbeSlot {
 public:
  // The one slot of the process.
  static ProbeSlot& instance();

  // Puts `report` in; a report still waiting there (never taken) is dropped.
  void put(Report report);
  // Takes the waiting report out, leaving the slot empty.
  std::optional<Report> take();

 private:
  std::mutex mutex_;
  std::optional<Report> waiting_;
};

}  // namespace kestro::probe

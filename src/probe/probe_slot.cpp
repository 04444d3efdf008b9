#include "probe/probe_slot.h"

#include <utility>

namespace kestro::probe {

ProbeSlot& ProbeSlot::instance() {
  static ProbeSlot slot;
  return slot;
}

void ProbeSlot::put(Report report) {
  std::optional<Report> dropped;  // destroyed after the lock is released
  {
    const std::lock_guard lock(mutex_);
    dropped = std::exchange(waiting_, std::move(report));
  }
}

std::optional<Report> ProbeSlot::take() {
  const std::lock_guard lock(mutex_);
  return std::exchange(waiting_, std::nullopt);
}

}  // namespace kestro::probe

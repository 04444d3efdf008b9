#include "probe/probe_slot.h"

namespace kestro::probe {

ProbeSlot& probe_slot() {
  static ProbeSlot& slot = *new ProbeSlot;
  return slot;
}

}  // namespace kestro::probe

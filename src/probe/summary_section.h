#pragma once
// The Summary card: the other cards' headline facts on one card.

#include <vector>

#include "probe/facts.h"
#include "probe/report.h"

namespace kestro::probe {

// CPU (the first package's name), Memory (always), Graphics and Storage (the adapters and
// disks, when any), Windows (the subtitle, when there is one).
std::vector<Row> summary_rows(const PcFacts& facts);

}  // namespace kestro::probe

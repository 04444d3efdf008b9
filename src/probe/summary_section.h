#pragma once
// The Summary card: the other cards' headline facts on one card.

#include <array>
#include <vector>

#include "i18n/text_pair.h"
#include "probe/facts.h"
#include "probe/report.h"

namespace kestro::probe {

// The Summary card's texts.
inline constexpr TextPair kSummaryHeading{"요약", "Summary"};
// Every text the Summary card shows but its heading: the other cards' headings.
inline constexpr auto kSummaryTexts =
    std::to_array<TextPair>({kMemoryHeading, kGraphicsHeading, kStorageHeading, kWindowsHeading});

// CPU (the first package's name), Memory (always), Graphics and Storage (the adapters and
// disks, when any), Windows (the subtitle, when there is one).
std::vector<Row> summary_rows(const PcFacts& facts);

}  // namespace kestro::probe

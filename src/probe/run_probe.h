#pragma once
// The probe run: every section's step reads its facts (section_registry.h), then the cards
// are made from them. A failing source removes nothing but its own facts.

#include "probe/facts.h"
#include "probe/platform.h"
#include "probe/report.h"

namespace kestro::probe {

// Runs every step against `platform`, whose every text is cleaned first (clean_text.h);
// never fails as a whole.
PcFacts probe_facts(ProbePlatform& platform);

// The cards in the interface language, in card order, without the cards that have no rows.
Report report_of(const PcFacts& facts);

// report_of(probe_facts(platform)).
Report run_probe(ProbePlatform& platform);

}  // namespace kestro::probe

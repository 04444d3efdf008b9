// One probe run: every card's step in the registry's step order, then the cards made from the
// facts in card order.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "i18n/translate.h"
#include "probe/clean_platform.h"
#include "probe/section_registry.h"
#include "probe/run_probe.h"

namespace kestro::probe {

PcFacts probe_facts(ProbePlatform& raw) {
  // Every text of every answer is cleaned before any rule sees it.
  CleanPlatform platform(raw);
  const bool is_admin = platform.is_admin();
  // Every CIMV2 query of the run shares this session; without it they count as no rows.
  const std::unique_ptr<wmi::WmiSession> cimv2 = platform.connect("ROOT\\CIMV2");
  ProbeRun run{platform, cimv2.get(), is_admin};
  PcFacts facts;
  for (const SectionEntry* section : step_order()) section->read(run, facts);
  return facts;
}

Report report_of(const PcFacts& facts) {
  Report report;
  report.title = report_title(facts.system);
  report.subtitle = windows_subtitle(facts.windows);
  report.needs_admin = facts.storage.needs_admin;
  for (const SectionEntry& section : section_registry()) {
    std::vector<Row> rows = section.rows(facts);
    if (rows.empty()) continue;  // a card without rows is left out with its heading
    report.sections.push_back(
        Section{std::string(translate(section.heading)), std::move(rows), section.kind});
  }
  return report;
}

Report run_probe(ProbePlatform& platform) { return report_of(probe_facts(platform)); }

}  // namespace kestro::probe

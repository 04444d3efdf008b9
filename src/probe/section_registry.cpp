#include "probe/section_registry.h"

#include <algorithm>
#include <array>

#include "probe/summary_section.h"

namespace kestro::probe {
namespace {

// The cards in card order. The System step runs first: the maker and model make the report's
// title, and its facts (the usable memory) serve later steps; the rest follow in the order a
// run has always read them, so that a run cut short by a slow WMI keeps what names the PC.
constexpr auto kSections = std::to_array<SectionEntry>({
    {SectionKind::Summary, kSummaryHeading, kSummaryTexts, kNoStep, nullptr, summary_rows, nullptr},
    {SectionKind::Processor, kProcessorHeading, kProcessorTexts, 2,
     [](ProbeRun& run, PcFacts& f) { f.processors = read_processors(run.cimv2); },
     [](const PcFacts& f) { return processor_rows(f.processors); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "processors", processors_json(f.processors));
     }},
    {SectionKind::Memory, kMemoryHeading, kMemoryTexts, 3,
     [](ProbeRun& run, PcFacts& f) { f.memory = read_memory(run.cimv2); },
     [](const PcFacts& f) { return memory_rows(f.memory, f.system.usable_memory); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "memory", memory_json(f.memory, f.system.usable_memory));
     }},
    {SectionKind::Graphics, kGraphicsHeading, kGraphicsTexts, 4,
     [](ProbeRun& run, PcFacts& f) { f.graphics = read_graphics(run.cimv2, run.platform); },
     [](const PcFacts& f) { return graphics_rows(f.graphics); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "graphics", graphics_json(f.graphics));
     }},
    {SectionKind::Storage, kStorageHeading, kStorageTexts, 6,
     [](ProbeRun& run, PcFacts& f) { f.storage = read_storage(run.platform, run.is_admin); },
     [](const PcFacts& f) { return storage_rows(f.storage); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "disks", disks_json(f.storage.disks));
       put_nonempty(document, "drives", drives_json(f.storage.drives));
     }},
    {SectionKind::Displays, kDisplaysHeading, kDisplaysTexts, 5,
     [](ProbeRun& run, PcFacts& f) { f.displays = read_displays(run.platform); },
     [](const PcFacts& f) { return display_rows(f.displays); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "displays", displays_json(f.displays));
     }},
    {SectionKind::Battery, kBatteryHeading, kBatteryTexts, 7,
     [](ProbeRun& run, PcFacts& f) { f.batteries = read_batteries(run.platform); },
     [](const PcFacts& f) { return battery_rows(f.batteries); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "batteries", batteries_json(f.batteries.batteries));
       put_nonempty(document, "power", power_json(f.batteries.power));
     }},
    {SectionKind::Windows, kWindowsHeading, kWindowsTexts, 1,
     [](ProbeRun& run, PcFacts& f) { f.windows = read_windows(run.cimv2, run.platform); },
     [](const PcFacts& f) { return windows_rows(f.windows); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "windows", windows_json(f.windows));
     }},
    // Its step runs last: the Windows 11 row weighs the Windows, Processor, Memory, Drives and
    // System facts.
    {SectionKind::Security, kSecurityHeading, kSecurityTexts, 8,
     [](ProbeRun& run, PcFacts& f) { f.security = read_security(run.platform); },
     [](const PcFacts& f) { return security_rows(f.security, windows11_verdict_of(f)); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "security", security_json(f.security, windows11_verdict_of(f)));
     }},
    {SectionKind::System, kSystemHeading, kSystemTexts, 0,
     [](ProbeRun& run, PcFacts& f) { f.system = read_system(run.cimv2, run.platform); },
     [](const PcFacts& f) { return system_rows(f.system); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "system", system_json(f.system));
     }},
});

}  // namespace

std::span<const SectionEntry> section_registry() { return kSections; }

std::optional<Windows11Verdict> windows11_verdict_of(const PcFacts& facts) {
  return windows11_verdict_of(facts.security, {facts.windows, facts.processors, facts.memory,
                                               facts.storage.drives, facts.system.model});
}

const std::vector<const SectionEntry*>& step_order() {
  static const std::vector<const SectionEntry*> steps = [] {
    std::vector<const SectionEntry*> with_step;
    for (const SectionEntry& section : kSections) {
      if (section.read != nullptr) with_step.push_back(&section);
    }
    std::stable_sort(with_step.begin(), with_step.end(),
                     [](const SectionEntry* a, const SectionEntry* b) { return a->step < b->step; });
    return with_step;
  }();
  return steps;
}

std::vector<TextPair> section_texts() {
  std::vector<TextPair> texts;
  for (const SectionEntry& section : kSections) {
    texts.push_back(section.heading);
    texts.insert(texts.end(), section.texts.begin(), section.texts.end());
  }
  return texts;
}

}  // namespace kestro::probe

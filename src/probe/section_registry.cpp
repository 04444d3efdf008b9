#include "probe/section_registry.h"

#include <array>

#include "probe/summary_section.h"

namespace kestro::probe {
namespace {

constexpr std::array<SectionEntry, 9> kSections = {{
    {SectionKind::Summary, {"요약", "Summary"}, nullptr, summary_rows, nullptr},
    {SectionKind::Processor, {"프로세서", "Processor"},
     [](ProbeRun& run, PcFacts& f) { f.processors = read_processors(run.cimv2); },
     [](const PcFacts& f) { return processor_rows(f.processors); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "processors", processors_json(f.processors));
     }},
    {SectionKind::Memory, {"메모리", "Memory"},
     [](ProbeRun& run, PcFacts& f) { f.memory = read_memory(run.cimv2); },
     [](const PcFacts& f) { return memory_rows(f.memory, f.system.usable_memory); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "memory", memory_json(f.memory, f.system.usable_memory));
     }},
    {SectionKind::Graphics, {"그래픽", "Graphics"},
     [](ProbeRun& run, PcFacts& f) { f.graphics = read_graphics(run.cimv2, run.platform); },
     [](const PcFacts& f) { return graphics_rows(f.graphics); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "graphics", graphics_json(f.graphics));
     }},
    {SectionKind::Storage, {"저장 장치", "Storage"},
     [](ProbeRun& run, PcFacts& f) { f.storage = read_storage(run.platform, run.is_admin); },
     [](const PcFacts& f) { return storage_rows(f.storage); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "disks", disks_json(f.storage.disks));
       put_nonempty(document, "drives", drives_json(f.storage.drives));
     }},
    {SectionKind::Displays, {"모니터", "Displays"},
     [](ProbeRun& run, PcFacts& f) { f.displays = read_displays(run.platform); },
     [](const PcFacts& f) { return display_rows(f.displays); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "displays", displays_json(f.displays));
     }},
    {SectionKind::Battery, kBatteryHeading,
     [](ProbeRun& run, PcFacts& f) { f.batteries = read_batteries(run.platform); },
     [](const PcFacts& f) { return battery_rows(f.batteries); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "batteries", batteries_json(f.batteries.batteries));
       put_nonempty(document, "power", power_json(f.batteries.power));
     }},
    {SectionKind::Windows, {"운영체제", "Windows"},
     [](ProbeRun& run, PcFacts& f) { f.windows = read_windows(run.cimv2, run.platform); },
     [](const PcFacts& f) { return windows_rows(f.windows); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "windows", windows_json(f.windows));
     }},
    {SectionKind::System, {"시스템", "System"},
     [](ProbeRun& run, PcFacts& f) { f.system = read_system(run.cimv2, run.platform); },
     [](const PcFacts& f) { return system_rows(f.system); },
     [](const PcFacts& f, Json& document) {
       put_nonempty(document, "system", system_json(f.system));
     }},
}};

// The System step comes first: the maker and model make the report's title, and its facts
// (the usable memory) serve later steps; the rest follow in the order a run has always read
// them, so that a run cut short by a slow WMI keeps what names the PC.
constexpr std::array<SectionKind, 8> kReadingOrder = {
    SectionKind::System,   SectionKind::Windows,  SectionKind::Processor, SectionKind::Memory,
    SectionKind::Graphics, SectionKind::Displays, SectionKind::Storage,   SectionKind::Battery};

}  // namespace

std::span<const SectionEntry> section_registry() { return kSections; }

std::span<const SectionKind> reading_order() { return kReadingOrder; }

const SectionEntry& section_entry(SectionKind kind) {
  for (const SectionEntry& section : kSections) {
    if (section.kind == kind) return section;
  }
  return kSections.front();  // every kind has an entry
}

TextPair section_heading(SectionKind kind) { return section_entry(kind).heading; }

}  // namespace kestro::probe

// One probe run: every step in a fixed order, then the Summary card and the card list.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "i18n/translate.h"
#include "probe/memory_section.h"
#include "probe/processor_section.h"
#include "probe/sections.h"
#include "probe/system_section.h"
#include "probe/windows_section.h"

namespace kestro::probe {
namespace {

std::string join(const std::vector<std::string>& texts, std::string_view separator) {
  std::string joined;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (i != 0) joined += separator;
    joined += texts[i];
  }
  return joined;
}

void add_section(Report& report, SectionKind kind, std::vector<Row> rows) {
  if (rows.empty()) return;  // a card without rows is left out with its heading
  report.sections.push_back(Section{std::string(translate(section_heading(kind))),
                                    std::move(rows), kind});
}

}  // namespace

Report run_probe(ProbePlatform& platform) {
  const bool is_admin = platform.is_admin();
  Report report;

  // Every CIMV2 query of the run shares this session; without it they count as no rows.
  std::unique_ptr<wmi::WmiSession> cimv2 = platform.connect("ROOT\\CIMV2");

  const SystemFacts facts = read_system_facts(cimv2.get());
  report.title = report_title(facts);
  std::vector<Row> system = system_rows(facts);
  system.push_back(uptime_row(platform.milliseconds_since_boot()));

  WindowsOutput windows = probe_windows(cimv2.get(), platform);
  report.subtitle = std::move(windows.subtitle);

  ProcessorOutput processor = probe_processor(cimv2.get());
  MemoryOutput memory = probe_memory(cimv2.get(), facts.usable_memory);
  GraphicsOutput graphics = probe_graphics(cimv2.get(), platform);
  std::vector<Row> displays = probe_displays(platform);
  StorageOutput storage = probe_storage(platform, is_admin);
  probe_drives(platform, storage.rows);
  report.needs_admin = storage.needs_admin;
  std::vector<Row> battery = probe_battery(platform);

  std::vector<Row> summary;
  if (processor.cpu_name) summary.push_back(Row::plain("CPU", *processor.cpu_name));
  summary.push_back(Row::plain(std::string(translate({"메모리", "Memory"})), memory.summary));
  if (!graphics.summaries.empty()) {
    summary.push_back(Row::plain(std::string(translate({"그래픽", "Graphics"})),
                                 join(graphics.summaries, ", ")));
  }
  if (!storage.summaries.empty()) {
    summary.push_back(Row::plain(std::string(translate({"저장 장치", "Storage"})),
                                 join(storage.summaries, ", ")));
  }
  if (!report.subtitle.empty()) {
    summary.push_back(
        Row::plain(std::string(translate({"운영체제", "Windows"})), report.subtitle));
  }

  add_section(report, SectionKind::Summary, std::move(summary));
  add_section(report, SectionKind::Processor, std::move(processor.rows));
  add_section(report, SectionKind::Memory, std::move(memory.rows));
  add_section(report, SectionKind::Graphics, std::move(graphics.rows));
  add_section(report, SectionKind::Storage, std::move(storage.rows));
  add_section(report, SectionKind::Displays, std::move(displays));
  add_section(report, SectionKind::Battery, std::move(battery));
  add_section(report, SectionKind::Windows, std::move(windows.rows));
  add_section(report, SectionKind::System, std::move(system));

  return report;
}

}  // namespace kestro::probe

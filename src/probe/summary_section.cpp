#include "probe/summary_section.h"

#include <string>
#include <string_view>

#include "i18n/translate.h"

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

}  // namespace

std::vector<Row> summary_rows(const PcFacts& facts) {
  std::vector<Row> rows;
  if (!facts.processors.empty()) rows.push_back(Row::plain("CPU", facts.processors.front().name));
  rows.push_back(Row::plain(std::string(translate(kMemoryHeading)),
                            memory_summary(facts.memory, facts.system.usable_memory)));
  if (!facts.graphics.empty()) {
    rows.push_back(Row::plain(std::string(translate(kGraphicsHeading)),
                              join(graphics_summaries(facts.graphics), ", ")));
  }
  if (!facts.storage.disks.empty()) {
    rows.push_back(Row::plain(std::string(translate(kStorageHeading)),
                              join(disk_summaries(facts.storage.disks), ", ")));
  }
  if (const std::string subtitle = windows_subtitle(facts.windows); !subtitle.empty()) {
    rows.push_back(Row::plain(std::string(translate(kWindowsHeading)), subtitle));
  }
  return rows;
}

}  // namespace kestro::probe

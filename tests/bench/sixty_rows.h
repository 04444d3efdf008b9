#pragma once
// The report the window benchmarks draw: nine cards, 60 rows in all, with the row kinds of a
// real report.

#include <string>

#include "probe/report.h"

namespace kestro::bench {

inline kestro::Report sixty_rows() {
  using namespace kestro;
  Report report{"Lumwerk Z15 Gen 3", "Windows 11 Pro 24H2 · build 26100.2314", {}, true};
  const SectionKind kinds[] = {SectionKind::Summary,  SectionKind::Processor, SectionKind::Memory,
                               SectionKind::Graphics, SectionKind::Storage,   SectionKind::Displays,
                               SectionKind::Battery,  SectionKind::Windows,   SectionKind::System};
  int made = 0;
  for (std::size_t i = 0; i < 9; ++i) {
    Section section{"Section " + std::to_string(i), {}, kinds[i]};
    const int rows = i < 6 ? 7 : 6;
    for (int k = 0; k < rows; ++k, ++made) {
      const std::string label = "Label " + std::to_string(made);
      switch (made % 4) {
        case 0: section.rows.push_back(Row::plain(label, "A fairly long value text · 16 GB")); break;
        case 1: section.rows.push_back(Row::gauge_row(label, "412 GB of 953 GB used", 0.43f)); break;
        case 2: section.rows.push_back(Row::status(label, "Healthy", Tone::Good)); break;
        default:
          section.rows.push_back(Row::toned_gauge(label, "87%", Tone::Warning, 0.87f));
          break;
      }
    }
    report.sections.push_back(std::move(section));
  }
  return report;
}

}  // namespace kestro::bench

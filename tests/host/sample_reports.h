#pragma once
// Small reports the window tests lay out, draw and walk. Positions below are at 1080 × 800 and
// 96 DPI, with the toolbar's buttons measured by the recording canvas.

#include "probe/report.h"

namespace kestro::test {

// One Summary row and two Storage rows, without administrator rights: the note shows.
inline Report storage_report() {
  return Report{"This PC",
                "",
                {Section{"Summary", {Row::plain("Model", "X1")}, SectionKind::Summary},
                 Section{"Storage",
                         {Row::plain("Disk", "Samsung 990"),
                          Row::status("Health", "Healthy", Tone::Good)},
                         SectionKind::Storage}},
                true};
}

// Every kind of row the accessibility tree knows: Summary across both columns from 164 (rows
// at 212 and 246), Storage in the left column from 306 (rows at 354, 388, 422).
inline Report recorded_report() {
  return Report{"This PC",
                "Windows 11",
                {Section{"Summary",
                         {Row::plain("Model", "X1"),
                          Row::gauge_row("Drive C", "412 GB of 953 GB used", 0.43f)},
                         SectionKind::Summary},
                 Section{"Storage",
                         {Row::plain("Disk", "Samsung 990"),
                          Row::status("Health", "Healthy", Tone::Good),
                          Row::toned_gauge("Life left", "87%", Tone::Warning, 0.87f)},
                         SectionKind::Storage}},
                true};
}

}  // namespace kestro::test

#pragma once
// Graphics card: every hardware adapter with its video memory and, when WMI knows it, its
// driver version and date.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/text_pair.h"
#include "probe/date.h"
#include "probe/json_fields.h"
#include "probe/platform.h"
#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

// The Graphics card's texts.
inline constexpr TextPair kGraphicsHeading{"그래픽", "Graphics"};
inline constexpr TextPair kDriverLabel{"드라이버", "Driver"};
// Every text the Graphics card shows but its heading.
inline constexpr auto kGraphicsTexts = std::to_array<TextPair>({
    kDriverLabel});

struct DriverFacts {
  std::string version;        // DriverVersion, empty when absent
  std::optional<Date> date;   // DriverDate
};

// One hardware adapter.
struct AdapterFacts {
  std::string name;                     // DXGI description
  std::uint64_t memory_bytes = 0;       // dedicated video memory; 0 shows none
  std::optional<DriverFacts> driver;    // present when a Win32_VideoController has its name
};

// Queries the controllers on `cimv2` (null: no drivers), then enumerates the adapters.
std::vector<AdapterFacts> read_graphics(wmi::WmiSession* cimv2, ProbePlatform& platform);

// Per adapter a Graphics row and, with a driver, a Driver row.
std::vector<Row> graphics_rows(const std::vector<AdapterFacts>& adapters);

// One text per adapter for the Summary card: "name (memory)".
std::vector<std::string> graphics_summaries(const std::vector<AdapterFacts>& adapters);

// The document's "graphics" list.
Json graphics_json(const std::vector<AdapterFacts>& adapters);

}  // namespace kestro::probe

#pragma once
// Graphics card: every hardware adapter with its video memory and, when WMI knows it, its
// driver version and date.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "probe/date.h"
#include "probe/json_fields.h"
#include "probe/platform.h"
#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

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

// Adapters in enumeration order without software rasterisers (flag 2) and without repeats of
// a byte-identical name (two identical cards show once).
std::vector<GraphicsAdapter> hardware_adapters(const std::vector<GraphicsAdapter>& enumerated);

// Dedicated memory as a short text: whole gigabytes when within 0.3 of one ("8 GB" for
// 7.75 GiB), else the 1024-based size ("3.5 GB", "512 MB").
std::string vram_text(std::uint64_t bytes);

// WMI and DXGI name the same adapter when the texts are equal with ASCII letters folded to
// lower case; nothing else is normalised.
bool same_adapter_name(std::string_view wmi_name, std::string_view adapter_name);

// The kept adapters with the driver of the first Win32_VideoController record (Name,
// DriverVersion, DriverDate) that names each; a failed query counts as no records.
std::vector<AdapterFacts> graphics_facts(const std::vector<GraphicsAdapter>& adapters,
                                         const wmi::WmiResult& controllers);

// Queries the controllers on `cimv2` (null: no drivers), then enumerates the adapters.
std::vector<AdapterFacts> read_graphics(wmi::WmiSession* cimv2, ProbePlatform& platform);

// Per adapter a Graphics row and, with a driver, a Driver row.
std::vector<Row> graphics_rows(const std::vector<AdapterFacts>& adapters);

// One text per adapter for the Summary card: "name (memory)".
std::vector<std::string> graphics_summaries(const std::vector<AdapterFacts>& adapters);

// The document's "graphics" list.
Json graphics_json(const std::vector<AdapterFacts>& adapters);

}  // namespace kestro::probe

#pragma once
// The Processor card: one block of rows per processor package.

#include <optional>
#include <string>
#include <vector>

#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

struct ProcessorOutput {
  std::vector<Row> rows;
  // The first package's name for the Summary's "CPU" row; absent when no package was listed.
  std::optional<std::string> cpu_name;
};

// `processors` holds Name, NumberOfCores, NumberOfLogicalProcessors, MaxClockSpeed,
// L3CacheSize per package; a failed query counts as no rows.
ProcessorOutput processor_section(const wmi::WmiResult& processors);

// Runs the query on `cimv2` (null: no rows).
ProcessorOutput probe_processor(wmi::WmiSession* cimv2);

}  // namespace kestro::probe

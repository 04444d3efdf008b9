#pragma once
// The Processor card: one block of rows per processor package.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "probe/json_fields.h"
#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

// One processor package.
struct ProcessorFacts {
  std::string name;                              // white space normalised, empty when absent
  std::optional<std::uint64_t> cores;            // NumberOfCores
  std::optional<std::uint64_t> threads;          // NumberOfLogicalProcessors
  std::optional<std::uint64_t> base_mhz;         // MaxClockSpeed
  std::optional<std::uint64_t> l3_cache_bytes;   // L3CacheSize in bytes; absent when 0
};

// `processors` holds Name, NumberOfCores, NumberOfLogicalProcessors, MaxClockSpeed,
// L3CacheSize per package; a failed query counts as no rows.
std::vector<ProcessorFacts> processor_facts(const wmi::WmiResult& processors);

// Runs the query on `cimv2` (null: no packages).
std::vector<ProcessorFacts> read_processors(wmi::WmiSession* cimv2);

// Per package: Name, Cores (unreadable counts read 0), Base speed and L3 cache when known.
std::vector<Row> processor_rows(const std::vector<ProcessorFacts>& packages);

// The document's "processors" list.
Json processors_json(const std::vector<ProcessorFacts>& packages);

}  // namespace kestro::probe

#pragma once
// The Processor card: one block of rows per processor package.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "i18n/text_pair.h"
#include "probe/json_fields.h"
#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

// The Processor card's texts.
inline constexpr TextPair kProcessorHeading{"프로세서", "Processor"};
inline constexpr TextPair kProcessorNameLabel{"이름", "Name"};
inline constexpr TextPair kCoresLabel{"코어", "Cores"};
inline constexpr TextPair kCoresValue{"{0}코어 {1}스레드", "{0} cores, {1} threads"};
inline constexpr TextPair kBaseSpeedLabel{"기본 속도", "Base speed"};
inline constexpr TextPair kL3CacheLabel{"L3 캐시", "L3 cache"};
// Every text the Processor card shows but its heading.
inline constexpr auto kProcessorTexts = std::to_array<TextPair>({
    kProcessorNameLabel, kCoresLabel, kCoresValue, kBaseSpeedLabel, kL3CacheLabel});

// One processor package.
struct ProcessorFacts {
  std::string name;                              // white space normalised, empty when absent
  std::optional<std::uint64_t> cores;            // NumberOfCores
  std::optional<std::uint64_t> threads;          // NumberOfLogicalProcessors
  std::optional<std::uint64_t> base_mhz;         // MaxClockSpeed
  std::optional<std::uint64_t> l3_cache_bytes;   // L3CacheSize in bytes; absent when 0
};

// Runs the query on `cimv2` (null: no packages).
std::vector<ProcessorFacts> read_processors(wmi::WmiSession* cimv2);

// Per package: Name, Cores (unreadable counts read 0), Base speed and L3 cache when known.
std::vector<Row> processor_rows(const std::vector<ProcessorFacts>& packages);

// The document's "processors" list.
Json processors_json(const std::vector<ProcessorFacts>& packages);

}  // namespace kestro::probe

#pragma once
// The Memory card: installed and usable memory, slots, and one row per module.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

struct MemoryOutput {
  std::vector<Row> rows;
  std::string summary;  // the "Installed" text, repeated by the Summary card
};

// Maker and part number as one text without placeholder words ("Unknown", "None", ...);
// a maker's JEDEC code becomes its name and a part number in hex its text first.
std::string module_description(const wmi::WmiValue& manufacturer,
                               const wmi::WmiValue& part_number);

// `modules` holds Capacity, ConfiguredClockSpeed, Speed, Manufacturer, PartNumber,
// DeviceLocator, SMBIOSMemoryType per module; `arrays` holds MemoryDevices per memory array;
// `usable` is the usable memory in bytes. Failed queries count as no rows.
MemoryOutput memory_section(const wmi::WmiResult& modules, const wmi::WmiResult& arrays,
                            std::uint64_t usable);

// Runs both queries on `cimv2` (null: no rows).
MemoryOutput probe_memory(wmi::WmiSession* cimv2, std::uint64_t usable);

}  // namespace kestro::probe

#pragma once
// The Memory card: installed and usable memory, slots, and one row per module.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "probe/json_fields.h"
#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

struct ModuleFacts {
  std::string locator;                 // DeviceLocator, empty when absent
  std::optional<std::uint64_t> size;   // Capacity in bytes
  std::string manufacturer;            // maker's name, placeholder words dropped (below)
  std::string part_number;             // part number's text, placeholder words dropped
};

struct MemoryFacts {
  std::vector<ModuleFacts> modules;       // in query order
  std::uint64_t installed = 0;            // sum of the known capacities, saturated
  std::string type;                       // "DDR4" and so on; empty when no module names one
  std::optional<std::uint64_t> speed;     // the largest module speed in MT/s
  std::uint64_t slots = 0;                // sum of the arrays' MemoryDevices
};

// Maker and part number as one text without placeholder words ("Unknown", "None", ...);
// a maker's JEDEC code becomes its name and a part number in hex its text first.
std::string module_description(const wmi::WmiValue& manufacturer,
                               const wmi::WmiValue& part_number);

// `modules` holds Capacity, ConfiguredClockSpeed, Speed, Manufacturer, PartNumber,
// DeviceLocator, SMBIOSMemoryType per module; `arrays` holds MemoryDevices per memory array.
// Failed queries count as no rows.
MemoryFacts memory_facts(const wmi::WmiResult& modules, const wmi::WmiResult& arrays);

// Runs both queries on `cimv2` (null: no rows).
MemoryFacts read_memory(wmi::WmiSession* cimv2);

// The "Installed" text, repeated by the Summary card: the installed size (the usable one when
// no module gave a size), the type and the speed.
std::string memory_summary(const MemoryFacts& facts, std::uint64_t usable);

// Locators label the modules only when every module has one and no two are the same;
// otherwise they are numbered.
bool locators_usable(const std::vector<ModuleFacts>& modules);

// Installed, Usable, Slots, then one row per module; `usable` is the usable memory in bytes.
std::vector<Row> memory_rows(const MemoryFacts& facts, std::uint64_t usable);

// The document's "memory" object; `usable` as above.
Json memory_json(const MemoryFacts& facts, std::uint64_t usable);

}  // namespace kestro::probe

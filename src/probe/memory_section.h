#pragma once
// The Memory card: installed and usable memory, slots, and one row per module.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/text_pair.h"
#include "probe/json_fields.h"
#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

// The Memory card's texts.
inline constexpr TextPair kMemoryHeading{"메모리", "Memory"};
inline constexpr TextPair kInstalledLabel{"설치된 메모리", "Installed"};
inline constexpr TextPair kUsableLabel{"쓸 수 있는 메모리", "Usable"};
inline constexpr TextPair kSlotsLabel{"슬롯", "Slots"};
inline constexpr TextPair kSlotsValue{"{0}개 중 {1}개 사용", "{1} of {0} in use"};
inline constexpr TextPair kModuleLabel{"모듈 {0}", "Module {0}"};
// Every text the Memory card shows but its heading.
inline constexpr auto kMemoryTexts = std::to_array<TextPair>({
    kInstalledLabel, kUsableLabel, kSlotsLabel, kSlotsValue, kModuleLabel});

struct ModuleFacts {
  std::string locator;                 // DeviceLocator, empty when absent
  std::optional<std::uint64_t> size;   // Capacity in bytes
  std::string manufacturer;            // maker's name, placeholder words dropped (below)
  std::string part_number;             // part number's text, placeholder words dropped
};

struct MemoryFacts {
  std::vector<ModuleFacts> modules;       // in query order
  bool complete = true;                   // false: the module answer was cut short
  std::uint64_t installed = 0;            // sum of the known capacities, saturated
  std::string type;                       // "DDR4" and so on; empty when no module names one
  std::optional<std::uint64_t> speed;     // the largest module speed in MT/s
  std::uint64_t slots = 0;                // sum of the arrays' MemoryDevices
};

// Runs both queries on `cimv2` (null: no rows).
MemoryFacts read_memory(wmi::WmiSession* cimv2);

// The "Installed" text, repeated by the Summary card: the installed size (the usable one when
// no module gave a size), the type and the speed.
std::string memory_summary(const MemoryFacts& facts, std::uint64_t usable);

// Installed, Usable, Slots, then one row per module; `usable` is the usable memory in bytes.
std::vector<Row> memory_rows(const MemoryFacts& facts, std::uint64_t usable);

// The document's "memory" object; `usable` as above.
Json memory_json(const MemoryFacts& facts, std::uint64_t usable);

}  // namespace kestro::probe

#pragma once
// The System card (maker, model, board, BIOS, uptime) and the report's title.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "i18n/text_pair.h"
#include "probe/date.h"
#include "probe/json_fields.h"
#include "probe/platform.h"
#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

// The System card's texts.
inline constexpr TextPair kSystemHeading{"시스템", "System"};
inline constexpr TextPair kThisPc{"이 PC", "This PC"};
inline constexpr TextPair kManufacturerLabel{"제조사", "Manufacturer"};
inline constexpr TextPair kModelLabel{"모델", "Model"};
inline constexpr TextPair kMotherboardLabel{"메인보드", "Motherboard"};
inline constexpr TextPair kUptimeLabel{"켜진 지", "Up for"};
inline constexpr TextPair kUptimeValue{"{0}일 {1}시간 {2}분", "{0} d {1} h {2} min"};
// Every text the System card shows but its heading.
inline constexpr auto kSystemTexts = std::to_array<TextPair>({
    kThisPc, kManufacturerLabel, kModelLabel, kMotherboardLabel, kUptimeLabel, kUptimeValue});

struct BiosFacts {
  std::string version;        // SMBIOSBIOSVersion, empty when absent
  std::optional<Date> date;   // ReleaseDate
};

// What the computer, board, BIOS and product queries and the clock said.
struct SystemFacts {
  std::string manufacturer;           // absent counted as empty
  std::string model;                  // absent counted as empty; a Lenovo's name (below)
  std::string model_code;             // the model as written when a name replaced it
  std::uint64_t usable_memory = 0;    // TotalPhysicalMemory in bytes, 0 when unreadable
  std::string board;                  // "maker product", trimmed
  std::optional<BiosFacts> bios;      // present when the BIOS query gave a row
  std::uint64_t uptime_ms = 0;        // milliseconds since the system started
};

// Runs the four queries on `cimv2` (null: none of them runs) and reads the uptime.
SystemFacts read_system(wmi::WmiSession* cimv2, ProbePlatform& platform);

// Maker and model, else the board, else the model alone; nothing when none of them is known
// (the report then says "This PC").
std::optional<std::string> machine_name(const SystemFacts& facts);
// machine_name, else kThisPc in the interface language.
std::string report_title(const SystemFacts& facts);

// Manufacturer, Model (with the model code in parentheses when a name replaced it),
// Motherboard and BIOS rows, each only when its rule allows, then the uptime row.
std::vector<Row> system_rows(const SystemFacts& facts);

// The document's "system" object: what the System rows show, untranslated.
Json system_json(const SystemFacts& facts);

}  // namespace kestro::probe

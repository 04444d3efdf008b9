#pragma once
// The System card (maker, model, board, BIOS, uptime) and the report's title.

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

// Only the first row of each result is used; a failed query counts as no rows. Lenovo writes
// its machine-type code as the model ("20HGS0001P") and the name people know as the product's
// Version ("ThinkPad T470s"); for a Lenovo that name becomes the model.
SystemFacts system_facts(const wmi::WmiResult& computer, const wmi::WmiResult& board,
                         const wmi::WmiResult& bios, const wmi::WmiResult& product = {});

// Runs the four queries on `cimv2` (null: none of them runs) and reads the uptime.
SystemFacts read_system(wmi::WmiSession* cimv2, ProbePlatform& platform);

// Maker and model, else the board, else the model alone; nothing when none of them is known
// (the report then says "This PC").
std::optional<std::string> machine_name(const SystemFacts& facts);
inline constexpr TextPair kThisPc{"이 PC", "This PC"};
// machine_name, else kThisPc in the interface language.
std::string report_title(const SystemFacts& facts);

// Manufacturer, Model (with the model code in parentheses when a name replaced it),
// Motherboard and BIOS rows, each only when its rule allows, then the uptime row.
std::vector<Row> system_rows(const SystemFacts& facts);

// "1 d 1 h 1 min"; days are always written, even 0.
std::string uptime_text(std::uint64_t milliseconds);
Row uptime_row(std::uint64_t milliseconds);

// The document's "system" object: what the System rows show, untranslated.
Json system_json(const SystemFacts& facts);

}  // namespace kestro::probe

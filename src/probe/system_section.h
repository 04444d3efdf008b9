#pragma once
// The System card (maker, model, board, BIOS, uptime) and the report title.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

struct BiosData {
  wmi::WmiValue version;       // SMBIOSBIOSVersion
  wmi::WmiValue release_date;  // ReleaseDate, a CIM datetime
};

// Facts of the computer, board and BIOS queries that later steps of the run reuse.
struct SystemFacts {
  std::string manufacturer;           // absent counted as empty
  std::string model;                  // absent counted as empty; a Lenovo's name (below)
  std::string model_code;             // the model as written when a name replaced it
  std::uint64_t usable_memory = 0;    // TotalPhysicalMemory in bytes, 0 when unreadable
  std::string board;                  // "maker product", trimmed
  std::optional<BiosData> bios;       // present when the BIOS query gave a row
};

// Only the first row of each result is used; a failed query counts as no rows. Lenovo writes
// its machine-type code as the model ("20HGS0001P") and the name people know as the product's
// Version ("ThinkPad T470s"); for a Lenovo that name becomes the model.
SystemFacts system_facts(const wmi::WmiResult& computer, const wmi::WmiResult& board,
                         const wmi::WmiResult& bios, const wmi::WmiResult& product = {});

// Runs the four queries on `cimv2` (null: none of them runs).
SystemFacts read_system_facts(wmi::WmiSession* cimv2);

// Maker and model, else the board, else the model alone, else "This PC".
std::string report_title(const SystemFacts& facts);

// Manufacturer, Model (with the model code in parentheses when a name replaced it),
// Motherboard and BIOS rows, each only when its rule allows.
std::vector<Row> system_rows(const SystemFacts& facts);

// "1 d 1 h 1 min"; days are always written, even 0.
std::string uptime_text(std::uint64_t milliseconds);
Row uptime_row(std::uint64_t milliseconds);

}  // namespace kestro::probe

#include "probe/system_section.h"

#include <array>
#include <string_view>

#include "base/text.h"
#include "i18n/translate.h"
#include "probe/format.h"
#include "probe/row_values.h"
#include "probe/text_case.h"

namespace kestro::probe {
namespace {

constexpr std::array<std::string_view, 4> kComputerProperties = {
    "Manufacturer", "Model", "TotalPhysicalMemory", "PCSystemType"};
constexpr std::array<std::string_view, 2> kBoardProperties = {"Manufacturer", "Product"};
constexpr std::array<std::string_view, 3> kBiosProperties = {
    "SMBIOSBIOSVersion", "ReleaseDate", "Manufacturer"};
constexpr std::array<std::string_view, 1> kProductProperties = {"Version"};

// "1 d 1 h 1 min"; days are always written, even 0.
std::string uptime_text(std::uint64_t milliseconds) {
  const std::uint64_t days = milliseconds / 86400000;
  const std::uint64_t hours = (milliseconds / 3600000) % 24;
  const std::uint64_t minutes = (milliseconds / 60000) % 60;
  return fill_template(translate(kUptimeValue),
                       {decimal(days), decimal(hours), decimal(minutes)});
}

Row uptime_row(std::uint64_t milliseconds) {
  return Row::plain(std::string(translate(kUptimeLabel)), uptime_text(milliseconds));
}

const wmi::WmiRow* first_row(const wmi::WmiResult& result) {
  if (!result || result->empty()) return nullptr;
  return &result->front();
}

// A Lenovo's product name in place of its machine-type code.
void use_lenovo_name(SystemFacts& facts, const wmi::WmiResult& product) {
  if (!equals_ignoring_ascii_case(trim(facts.manufacturer), "LENOVO")) return;
  const wmi::WmiRow* row = first_row(product);
  if (row == nullptr || !value_at(*row, 0)) return;
  const std::string name(trim(*value_at(*row, 0)));
  if (is_placeholder(name)) return;
  if (!is_placeholder(facts.model) && facts.model != name) facts.model_code = facts.model;
  facts.model = name;
}

// The Model row and the document show the model only next to a real maker.
bool shows_model(const SystemFacts& facts) {
  return !is_placeholder(facts.manufacturer) && !is_placeholder(facts.model);
}

// Only the first row of each result is used; a failed query counts as no rows. Lenovo writes
// its machine-type code as the model ("20HGS0001P") and the name people know as the product's
// Version ("ThinkPad T470s"); for a Lenovo that name becomes the model.
SystemFacts system_facts(const wmi::WmiResult& computer, const wmi::WmiResult& board,
                         const wmi::WmiResult& bios, const wmi::WmiResult& product) {
  SystemFacts facts;
  if (const wmi::WmiRow* row = first_row(computer)) {
    facts.manufacturer = std::string(text_at(*row, 0));
    facts.model = std::string(text_at(*row, 1));
    facts.usable_memory = number_at(*row, 2).value_or(0);
  }
  if (const wmi::WmiRow* row = first_row(board)) {
    const std::string joined = std::string(text_at(*row, 0)) + " " + std::string(text_at(*row, 1));
    facts.board = std::string(trim(joined));
  }
  if (const wmi::WmiRow* row = first_row(bios)) {
    facts.bios = BiosFacts{std::string(text_at(*row, 0)), cim_day(value_at(*row, 1))};
  }
  use_lenovo_name(facts, product);
  return facts;
}

}  // namespace

SystemFacts read_system(wmi::WmiSession* cimv2, ProbePlatform& platform) {
  const wmi::WmiResult computer = query_on(cimv2, "Win32_ComputerSystem", kComputerProperties);
  const wmi::WmiResult board = query_on(cimv2, "Win32_BaseBoard", kBoardProperties);
  const wmi::WmiResult bios = query_on(cimv2, "Win32_BIOS", kBiosProperties);
  const wmi::WmiResult product =
      query_on(cimv2, "Win32_ComputerSystemProduct", kProductProperties);
  SystemFacts facts = system_facts(computer, board, bios, product);
  facts.uptime_ms = platform.milliseconds_since_boot();
  return facts;
}

std::optional<std::string> machine_name(const SystemFacts& facts) {
  const std::string& maker = facts.manufacturer;
  const std::string& model = facts.model;
  const bool real_maker = !is_placeholder(maker);
  const bool real_model = !is_placeholder(model);
  if (real_maker && real_model) {
    // Many firmwares repeat the maker inside the model ("Acme Z15"); then the model alone.
    if (lower_case(model).find(lower_case(maker)) != std::string::npos) return model;
    return maker + " " + model;
  }
  if (!facts.board.empty()) return facts.board;
  if (real_model) return model;
  return std::nullopt;
}

std::string report_title(const SystemFacts& facts) {
  return machine_name(facts).value_or(std::string(translate(kThisPc)));
}

std::vector<Row> system_rows(const SystemFacts& facts) {
  std::vector<Row> rows;
  if (!is_placeholder(facts.manufacturer)) {
    rows.push_back(Row::plain(std::string(translate(kManufacturerLabel)),
                              facts.manufacturer));
  }
  if (shows_model(facts)) {
    std::string value = facts.model;
    if (!facts.model_code.empty()) value += fill_template(" ({0})", {facts.model_code});
    rows.push_back(Row::plain(std::string(translate(kModelLabel)), std::move(value)));
  }
  if (!facts.board.empty()) {
    rows.push_back(Row::plain(std::string(translate(kMotherboardLabel)), facts.board));
  }
  if (facts.bios) {
    std::string value = facts.bios->version;
    if (facts.bios->date) value += fill_template(" ({0})", {date_text(*facts.bios->date)});
    rows.push_back(Row::plain("BIOS", std::move(value)));
  }
  rows.push_back(uptime_row(facts.uptime_ms));
  return rows;
}

Json system_json(const SystemFacts& facts) {
  Json system = Json::object();
  if (!is_placeholder(facts.manufacturer)) put_text(system, "manufacturer", facts.manufacturer);
  if (shows_model(facts)) {
    put_text(system, "model", facts.model);
    put_text(system, "model_code", facts.model_code);
  }
  put_text(system, "motherboard", facts.board);
  if (facts.bios) {
    Json bios = Json::object();
    put_text(bios, "version", facts.bios->version);
    put_date(bios, "date", facts.bios->date);
    put_nonempty(system, "bios", std::move(bios));
  }
  system["uptime_seconds"] = facts.uptime_ms / 1000;
  return system;
}

}  // namespace kestro::probe

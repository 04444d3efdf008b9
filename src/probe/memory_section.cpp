#include "probe/memory_section.h"

#include <algorithm>
#include <array>
#include <set>

#include "base/text.h"
#include "i18n/translate.h"
#include "probe/format.h"
#include "probe/memory_codes.h"
#include "probe/row_values.h"

namespace kestro::probe {
namespace {

constexpr std::array<std::string_view, 7> kModuleProperties = {
    "Capacity",   "ConfiguredClockSpeed", "Speed",           "Manufacturer",
    "PartNumber", "DeviceLocator",        "SMBIOSMemoryType"};
constexpr std::array<std::string_view, 1> kArrayProperties = {"MemoryDevices"};

enum Column : std::size_t {
  kCapacity = 0,
  kConfiguredSpeed = 1,
  kSpeed = 2,
  kManufacturer = 3,
  kPartNumber = 4,
  kLocator = 5,
  kType = 6,
};

std::optional<std::uint64_t> module_speed(const wmi::WmiRow& row) {
  const std::optional<std::uint64_t> configured = number_at(row, kConfiguredSpeed);
  if (configured && *configured != 0) return configured;
  return number_at(row, kSpeed);
}

// "DDR4" for SMBIOS memory type 26 and so on; nothing for codes without a name.
std::optional<std::string_view> memory_type_name(std::uint64_t smbios_code) {
  switch (smbios_code) {
    case 20: return "DDR";
    case 21: return "DDR2";
    case 24: return "DDR3";
    case 26: return "DDR4";
    case 27: return "LPDDR";
    case 28: return "LPDDR2";
    case 29: return "LPDDR3";
    case 30: return "LPDDR4";
    case 34: return "DDR5";
    case 35: return "LPDDR5";
    default: return std::nullopt;
  }
}

// The words of `text` that are not placeholder words, joined with single spaces.
// normalize_spaces splits at every white space and joins with single U+0020 spaces, so the
// words are then the pieces between spaces.
std::string without_placeholder_words(std::string_view text) {
  const std::string joined = normalize_spaces(text);
  std::string kept;
  std::string_view rest = joined;
  while (!rest.empty()) {
    const std::size_t space = rest.find(' ');
    const std::string_view word = rest.substr(0, space);
    rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    if (word.empty() || is_placeholder(word)) continue;
    if (!kept.empty()) kept += ' ';
    kept += word;
  }
  return kept;
}

// Coded makers and hex part numbers are read first, so that the placeholder words are looked
// for in what they say.
std::string cleaned_maker(const wmi::WmiValue& manufacturer) {
  return manufacturer ? without_placeholder_words(memory_maker_name(*manufacturer)) : std::string();
}
std::string cleaned_part_number(const wmi::WmiValue& part_number) {
  return part_number ? without_placeholder_words(decoded_part_number(*part_number)) : std::string();
}

std::string joined_description(const ModuleFacts& module) {
  if (module.manufacturer.empty() || module.part_number.empty()) {
    return module.manufacturer + module.part_number;
  }
  return module.manufacturer + " " + module.part_number;
}

// Locators label the modules only when every module has one and no two are the same;
// otherwise they are numbered.
bool locators_usable(const std::vector<ModuleFacts>& modules) {
  if (modules.empty()) return false;
  std::set<std::string_view> seen;
  for (const ModuleFacts& module : modules) {
    if (module.locator.empty() || !seen.insert(module.locator).second) return false;
  }
  return true;
}

// `modules` holds Capacity, ConfiguredClockSpeed, Speed, Manufacturer, PartNumber,
// DeviceLocator, SMBIOSMemoryType per module; `arrays` holds MemoryDevices per memory array.
// Failed queries count as no rows.
MemoryFacts memory_facts(const wmi::WmiResult& modules_result, const wmi::WmiResult& arrays_result) {
  const wmi::WmiRows no_rows;
  const wmi::WmiRows& modules = modules_result ? *modules_result : no_rows;
  const wmi::WmiRows& arrays = arrays_result ? *arrays_result : no_rows;

  MemoryFacts facts;
  facts.complete = modules.complete;
  for (const wmi::WmiRow& row : modules) {
    const std::optional<std::uint64_t> size = number_at(row, kCapacity);
    facts.installed = saturating_add(facts.installed, size.value_or(0));
    if (facts.type.empty()) {
      if (const auto code = number_at(row, kType)) {
        facts.type = std::string(memory_type_name(*code).value_or(""));
      }
    }
    if (const auto speed = module_speed(row)) facts.speed = std::max(facts.speed.value_or(0), *speed);
    facts.modules.push_back(ModuleFacts{std::string(text_at(row, kLocator)), size,
                                        cleaned_maker(value_at(row, kManufacturer)),
                                        cleaned_part_number(value_at(row, kPartNumber))});
  }
  for (const wmi::WmiRow& row : arrays) {
    facts.slots = saturating_add(facts.slots, number_at(row, 0).value_or(0));
  }
  return facts;
}

}  // namespace

MemoryFacts read_memory(wmi::WmiSession* cimv2) {
  const wmi::WmiResult modules = query_on(cimv2, "Win32_PhysicalMemory", kModuleProperties);
  const wmi::WmiResult arrays = query_on(cimv2, "Win32_PhysicalMemoryArray", kArrayProperties);
  return memory_facts(modules, arrays);
}

std::string memory_summary(const MemoryFacts& facts, std::uint64_t usable) {
  std::string summary = format_bytes(facts.installed != 0 ? facts.installed : usable);
  if (!facts.type.empty()) summary.append(" ").append(facts.type);
  if (facts.speed && *facts.speed != 0) {
    summary.append(" ").append(decimal(*facts.speed)).append(" MT/s");
  }
  return summary;
}

std::vector<Row> memory_rows(const MemoryFacts& facts, std::uint64_t usable) {
  std::vector<Row> rows;
  rows.push_back(Row::plain(std::string(translate(kInstalledLabel)),
                            memory_summary(facts, usable)));
  if (facts.installed != 0 && usable != 0) {
    rows.push_back(Row::plain(std::string(translate(kUsableLabel)),
                              format_bytes(usable)));
  }
  if (facts.slots != 0 && !facts.modules.empty()) {
    rows.push_back(Row::plain(
        std::string(translate(kSlotsLabel)),
        fill_template(translate(kSlotsValue),
                      {decimal(facts.slots), decimal(facts.modules.size())})));
  }
  const bool by_locator = locators_usable(facts.modules);
  for (std::size_t i = 0; i < facts.modules.size(); ++i) {
    const ModuleFacts& module = facts.modules[i];
    std::string label = by_locator
                            ? module.locator
                            : fill_template(translate(kModuleLabel), {decimal(i + 1)});
    std::string value = format_bytes(module.size.value_or(0));
    const std::string description = joined_description(module);
    if (!description.empty()) value += std::string(kMiddleDot) + description;
    rows.push_back(Row::plain(std::move(label), std::move(value)));
  }
  return rows;
}

Json memory_json(const MemoryFacts& facts, std::uint64_t usable) {
  Json memory = Json::object();
  if (facts.installed != 0) memory["installed_bytes"] = facts.installed;
  if (usable != 0) memory["usable_bytes"] = usable;
  put_text(memory, "type", facts.type);
  if (facts.speed && *facts.speed != 0) memory["speed_mts"] = *facts.speed;
  if (facts.slots != 0 && !facts.modules.empty()) memory["slots"] = facts.slots;
  const bool by_locator = locators_usable(facts.modules);
  Json modules = Json::array();
  for (const ModuleFacts& module : facts.modules) {
    Json object = Json::object();
    if (by_locator) put_text(object, "slot", module.locator);
    put_number(object, "size_bytes", module.size);
    put_text(object, "manufacturer", module.manufacturer);
    put_text(object, "part_number", module.part_number);
    modules.push_back(std::move(object));
  }
  put_nonempty(memory, "modules", std::move(modules));
  return memory;
}

}  // namespace kestro::probe

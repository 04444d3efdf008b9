#include "probe/memory_section.h"

#include <algorithm>
#include <array>
#include <limits>
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

// Firmware may report absurd capacities (parse_number saturates); a sum must not wrap round
// to a small, plausible-looking figure.
std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  return b > kMax - a ? kMax : a + b;
}

std::optional<std::uint64_t> module_speed(const wmi::WmiRow& row) {
  const std::optional<std::uint64_t> configured = number_at(row, kConfiguredSpeed);
  if (configured && *configured != 0) return configured;
  return number_at(row, kSpeed);
}

// Locators label the rows only when every module has one and no two are the same;
// otherwise the rows are numbered.
bool locators_usable(const wmi::WmiRows& modules) {
  if (modules.empty()) return false;
  std::set<std::string, std::less<>> seen;
  for (const wmi::WmiRow& row : modules) {
    const wmi::WmiValue& locator = value_at(row, kLocator);
    if (!locator || locator->empty()) return false;
    if (!seen.insert(*locator).second) return false;
  }
  return true;
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

}  // namespace

std::string module_description(const wmi::WmiValue& manufacturer,
                               const wmi::WmiValue& part_number) {
  // Coded makers and hex part numbers are read first, so that the placeholder words are
  // looked for in what they say. normalize_spaces splits at every white space and joins with
  // single U+0020 spaces, so the words are then the pieces between spaces.
  const std::string maker = manufacturer ? memory_maker_name(*manufacturer) : std::string();
  const std::string part = part_number ? decoded_part_number(*part_number) : std::string();
  const std::string joined = normalize_spaces(maker + " " + part);
  std::string description;
  std::string_view rest = joined;
  while (!rest.empty()) {
    const std::size_t space = rest.find(' ');
    const std::string_view word = rest.substr(0, space);
    rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    if (word.empty() || is_placeholder(word)) continue;
    if (!description.empty()) description += ' ';
    description += word;
  }
  return description;
}

MemoryOutput memory_section(const wmi::WmiResult& modules_result,
                            const wmi::WmiResult& arrays_result, std::uint64_t usable) {
  const wmi::WmiRows no_rows;
  const wmi::WmiRows& modules = modules_result ? *modules_result : no_rows;
  const wmi::WmiRows& arrays = arrays_result ? *arrays_result : no_rows;

  std::uint64_t installed = 0;
  std::optional<std::string_view> type;
  std::optional<std::uint64_t> speed;
  for (const wmi::WmiRow& row : modules) {
    installed = saturating_add(installed, number_at(row, kCapacity).value_or(0));
    if (!type) {
      if (const auto code = number_at(row, kType)) type = memory_type_name(*code);
    }
    if (const auto module = module_speed(row)) speed = std::max(speed.value_or(0), *module);
  }
  std::uint64_t slots = 0;
  for (const wmi::WmiRow& row : arrays) {
    slots = saturating_add(slots, number_at(row, 0).value_or(0));
  }

  MemoryOutput out;
  out.summary = format_bytes(installed != 0 ? installed : usable);
  if (type) out.summary.append(" ").append(*type);
  if (speed && *speed != 0) out.summary.append(" ").append(decimal(*speed)).append(" MT/s");

  out.rows.push_back(Row::plain(std::string(translate({"설치된 메모리", "Installed"})),
                                out.summary));
  if (installed != 0 && usable != 0) {
    out.rows.push_back(Row::plain(std::string(translate({"쓸 수 있는 메모리", "Usable"})),
                                  format_bytes(usable)));
  }
  if (slots != 0 && !modules.empty()) {
    out.rows.push_back(Row::plain(
        std::string(translate({"슬롯", "Slots"})),
        fill_template(translate({"{0}개 중 {1}개 사용", "{1} of {0} in use"}),
                      {decimal(slots), decimal(modules.size())})));
  }
  const bool by_locator = locators_usable(modules);
  for (std::size_t i = 0; i < modules.size(); ++i) {
    const wmi::WmiRow& row = modules[i];
    std::string label = by_locator
                            ? *value_at(row, kLocator)
                            : fill_template(translate({"모듈 {0}", "Module {0}"}), {decimal(i + 1)});
    std::string value = format_bytes(number_at(row, kCapacity).value_or(0));
    const std::string description =
        module_description(value_at(row, kManufacturer), value_at(row, kPartNumber));
    if (!description.empty()) value += std::string(kMiddleDot) + description;
    out.rows.push_back(Row::plain(std::move(label), std::move(value)));
  }
  return out;
}

MemoryOutput probe_memory(wmi::WmiSession* cimv2, std::uint64_t usable) {
  const wmi::WmiResult modules = query_on(cimv2, "Win32_PhysicalMemory", kModuleProperties);
  const wmi::WmiResult arrays = query_on(cimv2, "Win32_PhysicalMemoryArray", kArrayProperties);
  return memory_section(modules, arrays, usable);
}

}  // namespace kestro::probe

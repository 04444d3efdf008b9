#include "probe/processor_section.h"

#include <array>
#include <limits>
#include <string_view>

#include "base/text.h"
#include "i18n/translate.h"
#include "probe/format.h"
#include "probe/row_values.h"

namespace kestro::probe {
namespace {

constexpr std::array<std::string_view, 5> kProcessorProperties = {
    "Name", "NumberOfCores", "NumberOfLogicalProcessors", "MaxClockSpeed", "L3CacheSize"};

std::string package_name(const wmi::WmiRow& row) {
  const wmi::WmiValue& name = value_at(row, 0);
  return name ? normalize_spaces(*name) : std::string();
}

}  // namespace

ProcessorOutput processor_section(const wmi::WmiResult& processors) {
  ProcessorOutput out;
  if (!processors) return out;
  for (const wmi::WmiRow& row : *processors) {
    const std::string name = package_name(row);
    if (!out.cpu_name) out.cpu_name = name;
    const std::uint64_t cores = number_at(row, 1).value_or(0);
    const std::uint64_t threads = number_at(row, 2).value_or(0);
    out.rows.push_back(Row::plain(std::string(translate({"이름", "Name"})), name));
    out.rows.push_back(Row::plain(
        std::string(translate({"코어", "Cores"})),
        fill_template(translate({"{0}코어 {1}스레드", "{0} cores, {1} threads"}),
                      {decimal(cores), decimal(threads)})));
    if (const auto mhz = number_at(row, 3)) {
      out.rows.push_back(Row::plain(std::string(translate({"기본 속도", "Base speed"})),
                                    fixed(static_cast<double>(*mhz) / 1000.0, 2) + " GHz"));
    }
    if (const auto l3_kib = number_at(row, 4); l3_kib && *l3_kib != 0) {
      // A nonsensical huge size saturates rather than wrapping to a small one.
      constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
      const std::uint64_t bytes = *l3_kib > kMax / 1024 ? kMax : *l3_kib * 1024;
      out.rows.push_back(
          Row::plain(std::string(translate({"L3 캐시", "L3 cache"})), format_bytes(bytes)));
    }
  }
  return out;
}

ProcessorOutput probe_processor(wmi::WmiSession* cimv2) {
  return processor_section(query_on(cimv2, "Win32_Processor", kProcessorProperties));
}

}  // namespace kestro::probe

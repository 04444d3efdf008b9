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

// `processors` holds Name, NumberOfCores, NumberOfLogicalProcessors, MaxClockSpeed,
// L3CacheSize per package; a failed query counts as no rows.
std::vector<ProcessorFacts> processor_facts(const wmi::WmiResult& processors) {
  std::vector<ProcessorFacts> packages;
  if (!processors) return packages;
  for (const wmi::WmiRow& row : *processors) {
    ProcessorFacts& package = packages.emplace_back();
    package.name = package_name(row);
    package.cores = number_at(row, 1);
    package.threads = number_at(row, 2);
    package.base_mhz = number_at(row, 3);
    if (const auto l3_kib = number_at(row, 4); l3_kib && *l3_kib != 0) {
      // A nonsensical huge size saturates rather than wrapping to a small one.
      constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
      package.l3_cache_bytes = *l3_kib > kMax / 1024 ? kMax : *l3_kib * 1024;
    }
  }
  return packages;
}

}  // namespace

std::vector<ProcessorFacts> read_processors(wmi::WmiSession* cimv2) {
  return processor_facts(query_on(cimv2, "Win32_Processor", kProcessorProperties));
}

std::vector<Row> processor_rows(const std::vector<ProcessorFacts>& packages) {
  std::vector<Row> rows;
  for (const ProcessorFacts& package : packages) {
    rows.push_back(Row::plain(std::string(translate(kProcessorNameLabel)), package.name));
    rows.push_back(Row::plain(
        std::string(translate(kCoresLabel)),
        fill_template(translate(kCoresValue),
                      {decimal(package.cores.value_or(0)), decimal(package.threads.value_or(0))})));
    if (package.base_mhz) {
      rows.push_back(Row::plain(std::string(translate(kBaseSpeedLabel)),
                                fixed(static_cast<double>(*package.base_mhz) / 1000.0, 2) + " GHz"));
    }
    if (package.l3_cache_bytes) {
      rows.push_back(Row::plain(std::string(translate(kL3CacheLabel)),
                                format_bytes(*package.l3_cache_bytes)));
    }
  }
  return rows;
}

Json processors_json(const std::vector<ProcessorFacts>& packages) {
  Json list = Json::array();
  for (const ProcessorFacts& package : packages) {
    Json object = Json::object();
    put_text(object, "name", package.name);
    put_number(object, "cores", package.cores);
    put_number(object, "threads", package.threads);
    put_number(object, "base_mhz", package.base_mhz);
    put_number(object, "l3_cache_bytes", package.l3_cache_bytes);
    list.push_back(std::move(object));
  }
  return list;
}

}  // namespace kestro::probe

#include "probe/graphics_section.h"

#include <array>
#include <cmath>

#include "base/text.h"
#include "i18n/translate.h"
#include "probe/format.h"
#include "probe/row_values.h"

namespace kestro::probe {
namespace {

constexpr std::uint32_t kSoftwareAdapter = 2;  // DXGI_ADAPTER_FLAG_SOFTWARE
constexpr std::array<std::string_view, 3> kControllerProperties = {"Name", "DriverVersion",
                                                                   "DriverDate"};

// Adapters in enumeration order without software rasterisers (flag 2) and without repeats of
// a byte-identical name (two identical cards show once).
std::vector<GraphicsAdapter> hardware_adapters(const std::vector<GraphicsAdapter>& enumerated) {
  std::vector<GraphicsAdapter> kept;
  for (const GraphicsAdapter& adapter : enumerated) {
    if ((adapter.flags & kSoftwareAdapter) != 0) continue;
    bool seen = false;
    for (const GraphicsAdapter& earlier : kept) seen = seen || earlier.name == adapter.name;
    if (!seen) kept.push_back(adapter);
  }
  return kept;
}

// Dedicated memory as a short text: whole gigabytes when within 0.3 of one ("8 GB" for
// 7.75 GiB), else the 1024-based size ("3.5 GB", "512 MB").
std::string vram_text(std::uint64_t bytes) {
  const double gib = static_cast<double>(bytes) / 1073741824.0;
  const double whole = std::round(gib);  // halves away from zero
  if (gib >= 1.0 && std::fabs(gib - whole) < 0.3) return fixed(whole, 0) + " GB";
  return format_bytes(bytes);
}

// WMI and DXGI name the same adapter when the texts are equal with ASCII letters folded to
// lower case; nothing else is normalised.
bool same_adapter_name(std::string_view wmi_name, std::string_view adapter_name) {
  return equals_ignoring_ascii_case(wmi_name, adapter_name);
}

const wmi::WmiRow* matching_controller(const wmi::WmiResult& controllers, std::string_view name) {
  if (!controllers) return nullptr;
  for (const wmi::WmiRow& record : *controllers) {
    const wmi::WmiValue& wmi_name = value_at(record, 0);
    if (same_adapter_name(wmi_name ? std::string_view(*wmi_name) : std::string_view(), name)) {
      return &record;
    }
  }
  return nullptr;
}

std::string driver_text(const DriverFacts& driver) {
  std::string text = driver.version;
  if (driver.date) text.append(" (").append(date_text(*driver.date)).append(")");
  return text;
}

// The kept adapters with the driver of the first Win32_VideoController record (Name,
// DriverVersion, DriverDate) that names each; a failed query counts as no records.
std::vector<AdapterFacts> graphics_facts(const std::vector<GraphicsAdapter>& adapters,
                                         const wmi::WmiResult& controllers) {
  std::vector<AdapterFacts> facts;
  for (const GraphicsAdapter& adapter : adapters) {
    AdapterFacts& shown = facts.emplace_back(AdapterFacts{adapter.name, adapter.dedicated_video_memory, {}});
    if (const wmi::WmiRow* record = matching_controller(controllers, adapter.name)) {
      shown.driver = DriverFacts{std::string(text_at(*record, 1)), cim_day(value_at(*record, 2))};
    }
  }
  return facts;
}

}  // namespace

std::vector<AdapterFacts> read_graphics(wmi::WmiSession* cimv2, ProbePlatform& platform) {
  // WMI first, then DXGI: the run's platform calls keep this order.
  const wmi::WmiResult controllers =
      query_on(cimv2, "Win32_VideoController", kControllerProperties);
  return graphics_facts(hardware_adapters(platform.graphics_adapters()), controllers);
}

std::vector<Row> graphics_rows(const std::vector<AdapterFacts>& adapters) {
  std::vector<Row> rows;
  const std::string graphics_label(translate(kGraphicsHeading));
  const std::string driver_label(translate(kDriverLabel));
  for (const AdapterFacts& adapter : adapters) {
    std::string value = adapter.name;
    if (adapter.memory_bytes != 0) value.append(kMiddleDot).append(vram_text(adapter.memory_bytes));
    rows.push_back(Row::plain(graphics_label, std::move(value)));
    if (adapter.driver) rows.push_back(Row::plain(driver_label, driver_text(*adapter.driver)));
  }
  return rows;
}

std::vector<std::string> graphics_summaries(const std::vector<AdapterFacts>& adapters) {
  std::vector<std::string> summaries;
  for (const AdapterFacts& adapter : adapters) {
    std::string summary = adapter.name;
    if (adapter.memory_bytes != 0) {
      summary.append(" (").append(vram_text(adapter.memory_bytes)).append(")");
    }
    summaries.push_back(std::move(summary));
  }
  return summaries;
}

Json graphics_json(const std::vector<AdapterFacts>& adapters) {
  Json list = Json::array();
  for (const AdapterFacts& adapter : adapters) {
    Json object = Json::object();
    put_text(object, "name", adapter.name);
    if (adapter.memory_bytes != 0) object["memory_bytes"] = adapter.memory_bytes;
    if (adapter.driver) {
      put_text(object, "driver_version", adapter.driver->version);
      put_date(object, "driver_date", adapter.driver->date);
    }
    list.push_back(std::move(object));
  }
  return list;
}

}  // namespace kestro::probe

#include "probe/storage_section.h"

#include <array>
#include <string>

#include "i18n/translate.h"
#include "probe/format.h"
#include "probe/row_values.h"

namespace kestro::probe {
namespace {

constexpr std::array<std::string_view, 7> kDiskProperties = {
    "DeviceId", "FriendlyName", "MediaType", "BusType", "Size", "HealthStatus", "__PATH"};
enum DiskField : std::size_t { kDeviceId, kFriendlyName, kMediaType, kBusType, kSize, kHealth, kPath };
constexpr std::array<std::string_view, 3> kReliabilityProperties = {"Temperature", "Wear",
                                                                    "PowerOnHours"};

struct Health {
  TextPair badge;
  Tone tone;
};

Health health_of(std::optional<std::uint64_t> status) {
  if (status == 0u) return {{"좋음", "Healthy"}, Tone::Good};
  if (status == 1u) return {{"주의", "Warning"}, Tone::Warning};
  if (status == 2u) return {{"나쁨", "Unhealthy"}, Tone::Bad};
  return {{"알 수 없음", "Unknown"}, Tone::Warning};
}

Tone life_tone(std::uint64_t life) {
  if (life >= 50) return Tone::Good;
  if (life >= 10) return Tone::Warning;
  return Tone::Bad;
}

const ReliabilityRecord* matching_record(const std::vector<ReliabilityRecord>& reliability,
                                         const wmi::WmiValue& device_id) {
  for (const ReliabilityRecord& record : reliability) {
    if (record.device_id == device_id) return &record;  // two absent ids are equal
  }
  return nullptr;
}

void append_reliability_rows(const ReliabilityRecord& record, std::vector<Row>& rows) {
  if (const auto wear = parse_number(record.wear)) {
    const std::uint64_t life = *wear > 100 ? 0 : 100 - *wear;
    rows.push_back(Row::toned_gauge(std::string(translate({"남은 수명", "Life left"})),
                                    decimal(life) + "%", life_tone(life),
                                    static_cast<float>(life) / 100.0f));
  }
  if (const auto temperature = parse_number(record.temperature); temperature && *temperature != 0) {
    rows.push_back(Row::plain(std::string(translate({"온도", "Temperature"})),
                              decimal(*temperature) + " \xC2\xB0" "C"));  // " °C"
  }
  if (const auto hours = parse_number(record.power_on_hours)) {
    rows.push_back(Row::plain(std::string(translate({"사용 시간", "Power-on time"})),
                              fill_template(translate({"{0}시간", "{0} hours"}), {decimal(*hours)})));
  }
}

}  // namespace

std::string_view disk_kind(std::optional<std::uint64_t> bus, std::optional<std::uint64_t> media) {
  if (bus == 17u) return "NVMe SSD";
  if (media == 3u) return "HDD";
  if (media == 4u) return "SSD";
  if (bus == 7u) return "USB";
  return {};
}

std::string reliability_query(std::string_view disk_path) {
  std::string text = "ASSOCIATORS OF {";
  text.append(disk_path).append("} WHERE ResultClass = MSFT_StorageReliabilityCounter");
  return text;
}

StorageOutput storage_rows(const wmi::WmiRows& disks,
                           const std::vector<ReliabilityRecord>& reliability, bool is_admin) {
  StorageOutput out;
  std::vector<ReliabilityPresence> presence;
  presence.reserve(reliability.size());
  for (const ReliabilityRecord& record : reliability) {
    presence.push_back({record.temperature.has_value(), record.wear.has_value()});
  }
  out.needs_admin = needs_admin_rule(is_admin, disks.size(), presence);

  const std::string disk_label(translate({"디스크", "Disk"}));
  const std::string health_label(translate({"건강", "Health"}));
  for (const wmi::WmiRow& disk : disks) {
    const wmi::WmiValue& friendly = value_at(disk, kFriendlyName);
    const std::string name = friendly ? *friendly : std::string();
    const std::string_view kind =
        disk_kind(number_at(disk, kBusType), number_at(disk, kMediaType));
    const std::string size = format_disk_size(number_at(disk, kSize).value_or(0));

    std::string value = name;
    value.append(kMiddleDot);
    std::string summary = name;
    summary.append(" (");
    if (!kind.empty()) {
      value.append(kind).append(kMiddleDot);
      summary.append(kind).append(", ");
    }
    value.append(size);
    summary.append(size).append(")");
    out.rows.push_back(Row::plain(disk_label, std::move(value)));
    out.summaries.push_back(std::move(summary));

    const Health health = health_of(number_at(disk, kHealth));
    out.rows.push_back(Row::status(health_label, std::string(translate(health.badge)), health.tone));

    if (const ReliabilityRecord* record = matching_record(reliability, value_at(disk, kDeviceId))) {
      append_reliability_rows(*record, out.rows);
    }
  }
  return out;
}

StorageOutput probe_storage(ProbePlatform& platform, bool is_admin) {
  const std::unique_ptr<wmi::WmiSession> session = platform.connect(kStorageNamespace);
  if (!session) return {};

  const wmi::WmiResult disks = wmi::query(*session, "MSFT_PhysicalDisk", kDiskProperties);
  const wmi::WmiRows no_disks;
  const wmi::WmiRows& disk_list = disks ? *disks : no_disks;

  std::vector<ReliabilityRecord> reliability;
  for (const wmi::WmiRow& disk : disk_list) {
    const wmi::WmiValue& path = value_at(disk, kPath);
    if (!path) continue;
    const wmi::WmiResult answer = session->query_text(reliability_query(*path), kReliabilityProperties);
    if (!answer || answer->empty()) continue;
    const wmi::WmiRow& first = answer->front();  // only the first object counts
    reliability.push_back({value_at(disk, kDeviceId), value_at(first, 0), value_at(first, 1),
                           value_at(first, 2)});
  }
  return storage_rows(disk_list, reliability, is_admin);
}

}  // namespace kestro::probe

#include "probe/storage_section.h"

#include <algorithm>
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
constexpr std::array<std::string_view, 5> kReliabilityProperties = {
    "Temperature", "Wear", "PowerOnHours", "ReadErrorsUncorrected", "WriteErrorsUncorrected"};
// One query for the partitions of every disk: DiskNumber is the disk's DeviceId as a number.
constexpr std::array<std::string_view, 2> kPartitionProperties = {"DiskNumber", "DriveLetter"};
enum PartitionField : std::size_t { kDiskNumber, kDriveLetter };

// The fixed words of the bus codes 1 to 20, in code order.
constexpr std::array<std::string_view, 20> kBusWords = {
    "scsi", "atapi", "ata",   "ieee_1394", "ssa",     "fibre_channel", "usb",
    "raid", "iscsi", "sas",   "sata",      "sd",      "mmc",           "virtual",
    "file_backed_virtual",    "storage_spaces",       "nvme",          "scm",
    "ufs",  "nvme_over_fabrics"};

// Reliability counters of one disk, from the first object its association query returned.
struct ReliabilityRecord {
  wmi::WmiValue device_id;  // copied from the disk record
  wmi::WmiValue temperature;
  wmi::WmiValue wear;
  wmi::WmiValue power_on_hours;
  wmi::WmiValue read_errors;   // ReadErrorsUncorrected
  wmi::WmiValue write_errors;  // WriteErrorsUncorrected
};

struct HealthLook {
  TextPair badge;
  Tone tone;
};

HealthLook health_look(DiskHealth health) {
  switch (health) {
    case DiskHealth::Healthy: return {kHealthy, Tone::Good};
    case DiskHealth::Warning: return {kHealthWarning, Tone::Warning};
    case DiskHealth::Unhealthy: return {kUnhealthy, Tone::Bad};
    case DiskHealth::Unknown: break;
  }
  return {kHealthUnknown, Tone::Warning};
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

// The sum of the counts that could be read, nothing when neither could: a disk that gives
// only one of the two has still had at least that many errors.
std::optional<std::uint64_t> known_sum(std::optional<std::uint64_t> a,
                                       std::optional<std::uint64_t> b) {
  if (!a || !b) return a ? a : b;
  return saturating_add(*a, *b);
}

void add_counters(const ReliabilityRecord& record, DiskFacts& disk) {
  if (const auto wear = parse_number(record.wear)) disk.life_left_percent = *wear > 100 ? 0 : 100 - *wear;
  if (const auto temperature = parse_number(record.temperature); temperature && *temperature != 0) {
    disk.temperature = temperature;
  }
  disk.power_on_hours = parse_number(record.power_on_hours);
  disk.uncorrected_errors =
      known_sum(parse_number(record.read_errors), parse_number(record.write_errors));
}

// WMI hands a partition's DriveLetter over as the character's code (67 for C); 0, and any
// code that is not A to Z, is no letter.
std::optional<char> partition_letter(const wmi::WmiValue& code) {
  const std::optional<std::uint64_t> number = parse_number(code);
  if (!number || *number < 'A' || *number > 'Z') return std::nullopt;
  return static_cast<char>(*number);
}

// The letters of the partitions on the disk whose DeviceId is `device_id`, in order, each once.
std::string disk_letters(const wmi::WmiRows& partitions, const wmi::WmiValue& device_id) {
  std::string letters;
  const std::optional<std::uint64_t> disk_number = parse_number(device_id);
  if (!disk_number) return letters;
  for (const wmi::WmiRow& partition : partitions) {
    const std::optional<char> letter = partition_letter(value_at(partition, kDriveLetter));
    if (letter && number_at(partition, kDiskNumber) == disk_number &&
        letters.find(*letter) == std::string::npos) {
      letters.push_back(*letter);
    }
  }
  std::sort(letters.begin(), letters.end());
  return letters;
}

// "C:, D:"
std::string letters_text(std::string_view letters) {
  std::string text;
  for (const char letter : letters) {
    if (!text.empty()) text.append(", ");
    text.append(1, letter).append(":");
  }
  return text;
}

std::optional<DiskKind> disk_kind(std::optional<std::uint64_t> bus, std::optional<std::uint64_t> media) {
  if (bus == 17u) return DiskKind::NvmeSsd;
  if (media == 3u) return DiskKind::Hdd;
  if (media == 4u) return DiskKind::Ssd;
  if (bus == 7u) return DiskKind::Usb;
  return std::nullopt;
}

std::string_view disk_kind_text(DiskKind kind) {
  switch (kind) {
    case DiskKind::NvmeSsd: return "NVMe SSD";
    case DiskKind::Hdd: return "HDD";
    case DiskKind::Ssd: return "SSD";
    case DiskKind::Usb: return "USB";
  }
  return {};
}

std::optional<DiskBus> disk_bus(std::optional<std::uint64_t> bus) {
  if (!bus || *bus < 1 || *bus > kBusWords.size()) return std::nullopt;
  return static_cast<DiskBus>(*bus);
}

DiskHealth disk_health(std::optional<std::uint64_t> status) {
  if (status == 0u) return DiskHealth::Healthy;
  if (status == 1u) return DiskHealth::Warning;
  if (status == 2u) return DiskHealth::Unhealthy;
  return DiskHealth::Unknown;
}

// The document's fixed words: "nvme_ssd", "sata", "healthy" and so on.
std::string_view disk_kind_word(DiskKind kind) {
  switch (kind) {
    case DiskKind::NvmeSsd: return "nvme_ssd";
    case DiskKind::Hdd: return "hdd";
    case DiskKind::Ssd: return "ssd";
    case DiskKind::Usb: return "usb";
  }
  return {};
}

std::string_view disk_bus_word(DiskBus bus) {
  return kBusWords[static_cast<std::size_t>(bus) - 1];
}

std::string_view disk_health_word(DiskHealth health) {
  switch (health) {
    case DiskHealth::Healthy: return "healthy";
    case DiskHealth::Warning: return "warning";
    case DiskHealth::Unhealthy: return "unhealthy";
    case DiskHealth::Unknown: break;
  }
  return "unknown";
}

// The association query that reads one disk's reliability counters.
std::string reliability_query(std::string_view disk_path) {
  std::string text = "ASSOCIATORS OF {";
  text.append(disk_path).append("} WHERE ResultClass = MSFT_StorageReliabilityCounter");
  return text;
}

// The disks of the MSFT_PhysicalDisk records (DeviceId, FriendlyName, MediaType, BusType, Size,
// HealthStatus, __PATH), each with the counters of the first reliability record of its
// DeviceId and the letters of its partitions, and the administrator hint. No drives.
StorageFacts storage_facts(const wmi::WmiRows& disks,
                           const std::vector<ReliabilityRecord>& reliability,
                           const wmi::WmiRows& partitions, bool is_admin) {
  StorageFacts facts;
  std::vector<ReliabilityPresence> presence;
  presence.reserve(reliability.size());
  for (const ReliabilityRecord& record : reliability) {
    presence.push_back({record.temperature.has_value(), record.wear.has_value()});
  }
  facts.needs_admin = needs_admin_rule(is_admin, disks.size(), presence);

  for (const wmi::WmiRow& row : disks) {
    DiskFacts& disk = facts.disks.emplace_back();
    disk.name = std::string(text_at(row, kFriendlyName));
    const std::optional<std::uint64_t> bus = number_at(row, kBusType);
    disk.kind = disk_kind(bus, number_at(row, kMediaType));
    disk.bus = disk_bus(bus);
    disk.size = number_at(row, kSize);
    disk.health = disk_health(number_at(row, kHealth));
    if (const ReliabilityRecord* record = matching_record(reliability, value_at(row, kDeviceId))) {
      add_counters(*record, disk);
    }
    disk.drive_letters = disk_letters(partitions, value_at(row, kDeviceId));
  }
  return facts;
}

void append_disk_rows(const DiskFacts& disk, std::vector<Row>& rows) {
  std::string value = disk.name;
  value.append(kMiddleDot);
  if (disk.kind) value.append(disk_kind_text(*disk.kind)).append(kMiddleDot);
  value.append(format_disk_size(disk.size.value_or(0)));
  rows.push_back(Row::plain(std::string(translate(kDiskLabel)), std::move(value)));

  const HealthLook health = health_look(disk.health);
  rows.push_back(Row::status(std::string(translate(kHealthLabel)),
                             std::string(translate(health.badge)), health.tone));
  if (disk.life_left_percent) {
    const std::uint64_t life = *disk.life_left_percent;
    rows.push_back(Row::toned_gauge(std::string(translate(kLifeLeftLabel)),
                                    decimal(life) + "%", life_tone(life),
                                    static_cast<float>(life) / 100.0f));
  }
  if (disk.temperature) {
    rows.push_back(Row::plain(std::string(translate(kTemperatureLabel)),
                              decimal(*disk.temperature) + " \xC2\xB0" "C"));  // " °C"
  }
  if (disk.power_on_hours) {
    rows.push_back(Row::plain(std::string(translate(kPowerOnTimeLabel)),
                              fill_template(translate(kPowerOnTimeValue), {decimal(*disk.power_on_hours)})));
  }
  // The count as a badge in the warning tone, whatever the disk's own health says.
  if (disk.uncorrected_errors.value_or(0) > 0) {
    rows.push_back(Row::status(std::string(translate(kUncorrectedErrorsLabel)),
                               decimal(*disk.uncorrected_errors), Tone::Warning));
  }
  if (!disk.drive_letters.empty()) {
    rows.push_back(Row::plain(std::string(translate(kDiskDrivesLabel)),
                              letters_text(disk.drive_letters)));
  }
}

}  // namespace

StorageFacts read_storage(ProbePlatform& platform, bool is_admin) {
  StorageFacts facts;
  if (const std::unique_ptr<wmi::WmiSession> session = platform.connect(kStorageNamespace)) {
    const wmi::WmiResult disks = wmi::query(*session, "MSFT_PhysicalDisk", kDiskProperties);
    const wmi::WmiRows none;
    const wmi::WmiRows& disk_list = disks ? *disks : none;

    // Asked only when there are disks to join them to. A failed query leaves every disk
    // without letters; one cut short gives the letters of the partitions that arrived.
    wmi::WmiResult partitions;
    if (!disk_list.empty()) {
      partitions = wmi::query(*session, "MSFT_Partition", kPartitionProperties);
    }

    std::vector<ReliabilityRecord> reliability;
    for (const wmi::WmiRow& disk : disk_list) {
      const wmi::WmiValue& path = value_at(disk, kPath);
      if (!path) continue;
      const wmi::WmiResult answer =
          session->query_text(reliability_query(*path), kReliabilityProperties);
      if (!answer || answer->empty()) continue;
      const wmi::WmiRow& first = answer->front();  // only the first object counts
      reliability.push_back({value_at(disk, kDeviceId), value_at(first, 0), value_at(first, 1),
                             value_at(first, 2), value_at(first, 3), value_at(first, 4)});
    }
    facts = storage_facts(disk_list, reliability, partitions ? *partitions : none, is_admin);
  }
  facts.drives = read_drives(platform);
  return facts;
}

std::vector<Row> storage_rows(const StorageFacts& facts) {
  std::vector<Row> rows;
  for (const DiskFacts& disk : facts.disks) append_disk_rows(disk, rows);
  for (const DriveFacts& drive : facts.drives) rows.push_back(drive_row(drive));
  return rows;
}

std::vector<std::string> disk_summaries(const std::vector<DiskFacts>& disks) {
  std::vector<std::string> summaries;
  for (const DiskFacts& disk : disks) {
    std::string summary = disk.name;
    summary.append(" (");
    if (disk.kind) summary.append(disk_kind_text(*disk.kind)).append(", ");
    summary.append(format_disk_size(disk.size.value_or(0))).append(")");
    summaries.push_back(std::move(summary));
  }
  return summaries;
}

Json disks_json(const std::vector<DiskFacts>& disks) {
  Json list = Json::array();
  for (const DiskFacts& disk : disks) {
    Json object = Json::object();
    put_text(object, "name", disk.name);
    if (disk.kind) object["kind"] = disk_kind_word(*disk.kind);
    if (disk.bus) object["bus"] = disk_bus_word(*disk.bus);
    put_number(object, "size_bytes", disk.size);
    object["health"] = disk_health_word(disk.health);
    put_number(object, "life_left_percent", disk.life_left_percent);
    put_number(object, "temperature_celsius", disk.temperature);
    put_number(object, "power_on_hours", disk.power_on_hours);
    put_number(object, "uncorrected_errors", disk.uncorrected_errors);
    Json letters = Json::array();
    for (const char letter : disk.drive_letters) letters.push_back(std::string(1, letter));
    put_nonempty(object, "drive_letters", std::move(letters));
    list.push_back(std::move(object));
  }
  return list;
}

}  // namespace kestro::probe

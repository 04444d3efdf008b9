#pragma once
// Storage card: every physical disk with kind, size and health and, when readable, life left,
// temperature, power-on hours, uncorrected errors and the drive letters it holds; then the
// fixed drives' usage (drives_section.h).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/text_pair.h"
#include "probe/drives_section.h"
#include "probe/json_fields.h"
#include "probe/platform.h"
#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

// The Storage card's texts.
inline constexpr TextPair kStorageHeading{"저장 장치", "Storage"};
inline constexpr TextPair kDiskLabel{"디스크", "Disk"};
inline constexpr TextPair kHealthLabel{"건강", "Health"};
inline constexpr TextPair kHealthy{"좋음", "Healthy"};
inline constexpr TextPair kHealthWarning{"주의", "Warning"};
inline constexpr TextPair kUnhealthy{"나쁨", "Unhealthy"};
inline constexpr TextPair kHealthUnknown{"알 수 없음", "Unknown"};
inline constexpr TextPair kLifeLeftLabel{"남은 수명", "Life left"};
inline constexpr TextPair kTemperatureLabel{"온도", "Temperature"};
inline constexpr TextPair kPowerOnTimeLabel{"사용 시간", "Power-on time"};
inline constexpr TextPair kPowerOnTimeValue{"{0}시간", "{0} hours"};
inline constexpr TextPair kUncorrectedErrorsLabel{"수정되지 않은 오류", "Uncorrected errors"};
// The letters of a disk's partitions; not the usage rows' "Drive {0}" (drives_section.h).
inline constexpr TextPair kDiskDrivesLabel{"드라이브", "Drives"};
// Every text the Storage card shows but its heading.
inline constexpr auto kStorageTexts = std::to_array<TextPair>({
    kDiskLabel, kHealthLabel, kHealthy, kHealthWarning, kUnhealthy, kHealthUnknown,
    kLifeLeftLabel, kTemperatureLabel, kPowerOnTimeLabel, kPowerOnTimeValue,
    kUncorrectedErrorsLabel, kDiskDrivesLabel, kDriveLabel, kDriveValue});

inline constexpr std::string_view kStorageNamespace = "ROOT\\Microsoft\\Windows\\Storage";

// What the card calls a disk: the NVMe bus wins over the media type.
enum class DiskKind : std::uint8_t { NvmeSsd, Hdd, Ssd, Usb };

// MSFT_PhysicalDisk's BusType codes 1 to 20 (0 is "unknown").
enum class DiskBus : std::uint8_t {
  Scsi = 1, Atapi, Ata, Ieee1394, Ssa, FibreChannel, Usb, Raid, Iscsi, Sas, Sata, Sd, Mmc,
  Virtual, FileBackedVirtual, StorageSpaces, Nvme, Scm, Ufs, NvmeOverFabrics,
};

// HealthStatus 0, 1 and 2; any other or no status is Unknown.
enum class DiskHealth : std::uint8_t { Healthy, Warning, Unhealthy, Unknown };

struct DiskFacts {
  std::string name;                                // FriendlyName, empty when absent
  std::optional<DiskKind> kind;
  std::optional<DiskBus> bus;
  std::optional<std::uint64_t> size;               // bytes
  DiskHealth health = DiskHealth::Unknown;
  std::optional<std::uint64_t> life_left_percent;  // 100 − Wear, at least 0
  std::optional<std::uint64_t> temperature;        // °C; absent when 0
  std::optional<std::uint64_t> power_on_hours;
  // ReadErrorsUncorrected + WriteErrorsUncorrected; known when at least one of them is.
  std::optional<std::uint64_t> uncorrected_errors;
  std::string drive_letters;  // "CD": its partitions' letters, in order, each once
};

struct StorageFacts {
  std::vector<DiskFacts> disks;
  std::vector<DriveFacts> drives;
  bool needs_admin = false;  // see needs_admin_rule
};

// Reads the disks through the storage namespace (unreachable: none) with their counters and
// their partitions' letters, then the drives.
StorageFacts read_storage(ProbePlatform& platform, bool is_admin);

// Per disk its Disk and Health rows, the counters it has and its letters; then one row per
// drive.
std::vector<Row> storage_rows(const StorageFacts& facts);

// One text per disk for the Summary card: "name (kind, size)".
std::vector<std::string> disk_summaries(const std::vector<DiskFacts>& disks);

// The document's "disks" list.
Json disks_json(const std::vector<DiskFacts>& disks);

}  // namespace kestro::probe

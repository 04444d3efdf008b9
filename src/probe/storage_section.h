#pragma once
// Storage card: every physical disk with kind, size and health and, when readable, life left,
// temperature and power-on hours; then the fixed drives' usage (drives_section.h).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "probe/drives_section.h"
#include "probe/json_fields.h"
#include "probe/platform.h"
#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

inline constexpr std::string_view kStorageNamespace = "ROOT\\Microsoft\\Windows\\Storage";

// Reliability counters of one disk, from the first object its association query returned.
struct ReliabilityRecord {
  wmi::WmiValue device_id;  // copied from the disk record
  wmi::WmiValue temperature;
  wmi::WmiValue wear;
  wmi::WmiValue power_on_hours;
};

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
};

struct StorageFacts {
  std::vector<DiskFacts> disks;
  std::vector<DriveFacts> drives;
  bool needs_admin = false;  // see needs_admin_rule
};

std::optional<DiskKind> disk_kind(std::optional<std::uint64_t> bus, std::optional<std::uint64_t> media);
std::string_view disk_kind_text(DiskKind kind);  // "NVMe SSD", "HDD", "SSD", "USB"
std::optional<DiskBus> disk_bus(std::optional<std::uint64_t> bus);
DiskHealth disk_health(std::optional<std::uint64_t> status);

// The document's fixed words: "nvme_ssd", "sata", "healthy" and so on.
std::string_view disk_kind_word(DiskKind kind);
std::string_view disk_bus_word(DiskBus bus);
std::string_view disk_health_word(DiskHealth health);

// The association query that reads one disk's reliability counters.
std::string reliability_query(std::string_view disk_path);

// The disks of the MSFT_PhysicalDisk records (DeviceId, FriendlyName, MediaType, BusType, Size,
// HealthStatus, __PATH), each with the counters of the first reliability record of its
// DeviceId, and the administrator hint. No drives.
StorageFacts storage_facts(const wmi::WmiRows& disks,
                           const std::vector<ReliabilityRecord>& reliability, bool is_admin);

// Reads the disks through the storage namespace (unreachable: none), then the drives.
StorageFacts read_storage(ProbePlatform& platform, bool is_admin);

// Per disk its Disk and Health rows and the counters it has; then one row per drive.
std::vector<Row> storage_rows(const StorageFacts& facts);

// One text per disk for the Summary card: "name (kind, size)".
std::vector<std::string> disk_summaries(const std::vector<DiskFacts>& disks);

// The document's "disks" list.
Json disks_json(const std::vector<DiskFacts>& disks);

}  // namespace kestro::probe

#pragma once
// Storage card, disk part: every physical disk with kind, size and health and, when readable,
// life left, temperature and power-on hours.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "probe/platform.h"
#include "probe/sections.h"
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

// "NVMe SSD", "HDD", "SSD", "USB" or empty, from the parsed BusType and MediaType codes; the
// NVMe bus wins over the media type.
std::string_view disk_kind(std::optional<std::uint64_t> bus, std::optional<std::uint64_t> media);

// The association query that reads one disk's reliability counters.
std::string reliability_query(std::string_view disk_path);

// Rows, summary texts and the administrator hint from the MSFT_PhysicalDisk records
// (DeviceId, FriendlyName, MediaType, BusType, Size, HealthStatus, __PATH) and the
// reliability records gathered for them, in disk order.
StorageOutput storage_rows(const wmi::WmiRows& disks,
                           const std::vector<ReliabilityRecord>& reliability, bool is_admin);

}  // namespace kestro::probe

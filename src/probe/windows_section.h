#pragma once
// The Windows card (edition, version and build, architecture, install date, activation) and
// the report's subtitle.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "probe/date.h"
#include "probe/json_fields.h"
#include "probe/platform.h"
#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

// The feature version and update revision under HKLM\SOFTWARE\Microsoft\Windows NT\
// CurrentVersion.
struct VersionValues {
  std::string display_version;        // `DisplayVersion`, empty when missing (not trimmed)
  std::optional<std::uint32_t> ubr;   // `UBR`, absent when missing
};

// The first row of the operating system query.
struct OsFacts {
  std::string edition;        // Caption without every leading "Microsoft "
  std::string build;          // BuildNumber as written, empty when absent
  std::string architecture;   // OSArchitecture as written, empty when absent
  std::optional<Date> installed_on;
};

struct WindowsFacts {
  std::optional<OsFacts> os;               // absent when the query gave no row
  std::string display_version;             // registry DisplayVersion (not trimmed)
  std::optional<std::uint32_t> ubr;        // registry UBR
  std::optional<bool> activated;           // see activation_state
};

// true: some licence is in the licensed state; false: statuses were read but none is;
// nullopt: no readable status (failed query, an answer cut short, no rows, or no parsable
// LicenseStatus).
std::optional<bool> activation_state(const wmi::WmiResult& licensing);

// `os` is the Win32_OperatingSystem result (Caption, Version, BuildNumber, OSArchitecture,
// InstallDate), `licensing` the LicenseStatus rows.
WindowsFacts windows_facts(const wmi::WmiResult& os, const VersionValues& version,
                           const wmi::WmiResult& licensing);

// The registry values; a value of the wrong type counts as missing.
VersionValues read_version_values(ProbePlatform& platform);

// Runs the queries on `cimv2` (null: no query runs) and reads the registry values.
WindowsFacts read_windows(wmi::WmiSession* cimv2, ProbePlatform& platform);

// "Windows 11 Pro 23H2": edition and feature version; empty without an operating system row.
std::string windows_subtitle(const WindowsFacts& facts);

// Name, Version, Type and Installed on (with an operating system row), then Activation.
std::vector<Row> windows_rows(const WindowsFacts& facts);

// The document's "windows" object. The registry's values belong to the operating system row
// and are left out without it, as in the rows.
Json windows_json(const WindowsFacts& facts);

}  // namespace kestro::probe

#pragma once
// The Windows card (edition, version and build, architecture, install date, activation) and
// the report's subtitle.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "probe/platform.h"
#include "probe/report.h"
#include "wmi/wmi.h"

namespace kestro::probe {

struct WindowsOutput {
  std::vector<Row> rows;
  std::string subtitle;  // empty when the operating system query gave no row
};

// true: some licence is in the licensed state; false: statuses were read but none is;
// nullopt: no readable status (failed query, no rows, or no parsable LicenseStatus).
std::optional<bool> activation_state(const wmi::WmiResult& licensing);

// `os` is the Win32_OperatingSystem result (Caption, Version, BuildNumber, OSArchitecture,
// InstallDate), `licensing` the LicenseStatus rows.
WindowsOutput windows_section(const wmi::WmiResult& os, const VersionValues& version,
                              const wmi::WmiResult& licensing);

// Runs the queries on `cimv2` (null: no query runs) and reads the registry values.
WindowsOutput probe_windows(wmi::WmiSession* cimv2, ProbePlatform& platform);

}  // namespace kestro::probe

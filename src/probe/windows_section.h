#pragma once
// The Windows card (edition, version and build, architecture, install date, activation,
// security updates) and the report's subtitle.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "i18n/text_pair.h"
#include "probe/date.h"
#include "probe/json_fields.h"
#include "probe/platform.h"
#include "probe/report.h"
#include "probe/security_updates.h"
#include "wmi/wmi.h"

namespace kestro::probe {

// The Windows card's texts.
inline constexpr TextPair kWindowsHeading{"운영체제", "Windows"};
inline constexpr TextPair kEditionLabel{"이름", "Name"};
inline constexpr TextPair kVersionLabel{"버전", "Version"};
inline constexpr TextPair kBuildWord{"빌드", "build"};
inline constexpr TextPair kTypeLabel{"종류", "Type"};
inline constexpr TextPair kInstalledOnLabel{"설치한 날", "Installed on"};
inline constexpr TextPair kActivationLabel{"정품 인증", "Activation"};
inline constexpr TextPair kActivated{"정품 인증됨", "Activated"};
inline constexpr TextPair kNotActivated{"인증되지 않음", "Not activated"};
inline constexpr TextPair kSecurityUpdatesLabel{"보안 업데이트", "Security updates"};
inline constexpr TextPair kUpdatesUntil{"{0}까지", "Until {0}"};
inline constexpr TextPair kUpdatesEndedOn{"{0}에 종료", "Ended {0}"};
inline constexpr TextPair kUpdatesEnded{"종료", "Ended"};
inline constexpr TextPair kExtendedUpdates{"확장 보안 업데이트", "Extended Security Updates"};
// Every text the Windows card shows but its heading.
inline constexpr auto kWindowsTexts = std::to_array<TextPair>({
    kEditionLabel, kVersionLabel, kBuildWord, kTypeLabel, kInstalledOnLabel, kActivationLabel,
    kActivated, kNotActivated, kSecurityUpdatesLabel, kUpdatesUntil, kUpdatesEndedOn,
    kUpdatesEnded, kExtendedUpdates});

// The first row of the operating system query.
struct OsFacts {
  std::string edition;        // Caption without every leading "Microsoft "
  std::string build;          // BuildNumber as written, empty when absent
  std::optional<std::uint64_t> build_number;  // the build when written in digits alone
  std::string architecture;   // OSArchitecture as written, empty when absent
  std::optional<Date> installed_on;
};

struct WindowsFacts {
  std::optional<OsFacts> os;               // absent when the query gave no row
  std::string display_version;             // registry DisplayVersion (not trimmed)
  std::optional<std::uint32_t> ubr;        // registry UBR
  std::string edition_id;                  // registry EditionID ("Professional", ...)
  std::string installation_type;           // registry InstallationType ("Client", "Server", ...)
  std::optional<bool> activated;           // see activation_state
  std::optional<Date> today;               // the PC's local date
};

// Whether this Windows is a desktop one: servers (and a PC that does not say) are not.
bool is_client(const WindowsFacts& facts);

// Whether this Windows still gets security fixes (security_updates.h); nothing without an
// operating system row.
std::optional<SecurityUpdates> security_updates_of(const WindowsFacts& facts);

// Runs the queries on `cimv2` (null: no query runs) and reads the registry values.
WindowsFacts read_windows(wmi::WmiSession* cimv2, ProbePlatform& platform);

// "Windows 11 Pro 23H2": edition and feature version; empty without an operating system row.
std::string windows_subtitle(const WindowsFacts& facts);

// Name, Version, Type and Installed on (with an operating system row), then Activation and
// Security updates.
std::vector<Row> windows_rows(const WindowsFacts& facts);

// The document's "windows" object. The registry's values belong to the operating system row
// and are left out without it, as in the rows.
Json windows_json(const WindowsFacts& facts);

}  // namespace kestro::probe

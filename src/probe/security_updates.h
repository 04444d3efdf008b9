#pragma once
// Whether this Windows still gets security fixes, and until which day: its build and edition
// looked up in Microsoft's lifecycle dates.

#include <cstdint>
#include <optional>
#include <string_view>

#include "probe/date.h"

namespace kestro::probe {

// Windows 10's first build; Windows 11's first is 22000.
inline constexpr std::uint64_t kFirstWindows10Build = 10240;
inline constexpr std::uint64_t kFirstWindows11Build = 22000;

enum class UpdatesState : std::uint8_t {
  Supported,  // in service until `until`
  Ended,      // past its last day (`until`), or long out of service (no date)
  Extended,   // a Windows 10 22H2 with an update only Extended Security Updates bring
};

struct SecurityUpdates {
  UpdatesState state = UpdatesState::Supported;
  std::optional<Date> until;  // the last day of service
  friend bool operator==(const SecurityUpdates&, const SecurityUpdates&) = default;
};

struct InstalledWindows {
  std::optional<std::uint64_t> build;
  std::optional<std::uint32_t> ubr;
  std::string_view edition_id;         // EditionID: "Professional", "EnterpriseS", ...
  std::string_view installation_type;  // InstallationType: "Client", "Server", ...
};

// Nothing for a server, an edition or build the lifecycle dates do not know, or an unknown
// day: `today` is the PC's local date.
std::optional<SecurityUpdates> security_updates(const InstalledWindows& windows,
                                                std::optional<Date> today);

}  // namespace kestro::probe

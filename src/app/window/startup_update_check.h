#pragma once
// The automatic update check at start-up, against the settings store.

#include <cstdint>

#include "app/settings/settings.h"
#include "app/updater/reactions.h"

namespace kestro::app {

// Reads `AutoUpdate` and `LastUpdateCheck`; when a check is due, stores `LastUpdateCheck` =
// `now` (before the check runs, whatever its outcome) and starts an automatic check. True when
// one was started. A copy that may not update reads and writes nothing. `now` is in whole
// seconds since 1970-01-01 UTC.
bool run_startup_update_check(SettingsStore& settings, std::uint64_t now,
                              updater::UpdateReactions& updates);

}  // namespace kestro::app

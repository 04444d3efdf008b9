#pragma once
// The window's side of updating: the automatic check at start-up against the settings store.
// The message handlers are WindowController's (start_update_check, on_update_check_done,
// on_download_done), defined in update_flow.cpp.

#include <cstdint>

#include "app/settings.h"
#include "app/window_controller.h"

namespace kestro::app {

// Reads `AutoUpdate` and `LastUpdateCheck`; when a check is due, stores `LastUpdateCheck` =
// `now` (before the check runs, whatever its outcome) and starts an automatic check. True when
// one was started. `now` is in whole seconds since 1970-01-01 UTC.
bool run_startup_update_check(SettingsStore& settings, std::uint64_t now,
                              WindowController& controller);

}  // namespace kestro::app

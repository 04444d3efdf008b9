#include "app/window/startup_update_check.h"

#include "app/updater/schedule.h"

namespace kestro::app {

bool run_startup_update_check(SettingsStore& settings, std::uint64_t now,
                              updater::UpdateReactions& updates) {
  if (!updates.allowed()) return false;  // nor is the day marked: the user's own copy checks
  const bool enabled = auto_update_enabled(settings.read_auto_update());
  const std::uint64_t last = parse_last_update_check(settings.read_text(kLastUpdateCheckValue));
  if (!updater::automatic_check_due(enabled, last, now)) return false;
  settings.write_text(kLastUpdateCheckValue, format_last_update_check(now));
  updates.start_check(false);
  return true;
}

}  // namespace kestro::app

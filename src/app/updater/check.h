#pragma once
// One update check: fetch the manifest, judge it, compare versions. Runs on a worker thread.

#include <string>
#include <string_view>
#include <variant>

#include "app/updater/manifest.h"
#include "app/updater/platform.h"
#include "base/hand_over_slot.h"

namespace kestro::updater {

struct UpToDate {
  friend bool operator==(const UpToDate&, const UpToDate&) = default;
};
struct Available {
  UpdateInfo info;
  friend bool operator==(const Available&, const Available&) = default;
};
struct CheckFailed {
  std::string text;  // for the user
  friend bool operator==(const CheckFailed&, const CheckFailed&) = default;
};
using CheckResult = std::variant<UpToDate, Available, CheckFailed>;

// What the check thread hands to the window: the result and whether the user asked for it.
struct CheckDelivery {
  CheckResult result;
  bool manual = false;
};

using UpdateCheckSlot = HandOverSlot<CheckDelivery>;

// The check itself: the manifest at `address` (at most 64 KiB) is fetched into "update.json"
// in the working folder (work_folder.h), read, parsed and compared with `current_version`; the
// file is deleted whatever the outcome. The window runs one check at a time (reactions.h), so
// no check reads or deletes another's file.
CheckResult run_update_check(UpdaterPlatform& platform, std::string_view address,
                             std::string_view current_version);

}  // namespace kestro::updater

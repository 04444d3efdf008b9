#pragma once
// Where one update check keeps its manifest and one download its installer: the user's own
// working folder (%TEMP%\Kestro). Only a copy of Kestro with the user's own rights works there
// (elevation.h): every program of that user can write to it.

#include <cstdint>
#include <string_view>

#include "app/updater/platform.h"

namespace kestro::updater {

// The working folder, or the text for the user: it must exist and be a folder itself, not a
// link to one (a refusal gives the text of a failed transfer).
TextOrError open_work_folder(UpdaterPlatform& platform);

// A running installer cannot be deleted, and a finished update's installer starts the new
// Kestro shortly before it ends: a left installer is tried this often, this far apart.
inline constexpr int kLeftoverTries = 30;
inline constexpr std::uint32_t kLeftoverRetryMilliseconds = 1000;

// Deletes every "Kestro-Setup-*.exe" in the working folder that no process has open: what
// earlier updates left, and downloads that closing Kestro cut short, whatever their version. A
// file in use (a download another Kestro is making or checking, a running installer) stays.
// Runs on a worker thread; those still there after kLeftoverTries are left for the next start.
void remove_leftover_installers(UpdaterPlatform& platform);

}  // namespace kestro::updater

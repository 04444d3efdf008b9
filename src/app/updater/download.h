#pragma once
// Downloading and verifying an installer: length, then SHA-256 digest, then publisher. Runs
// on a worker thread.

#include <memory>
#include <string>
#include <variant>

#include "app/updater/manifest.h"
#include "app/updater/platform.h"
#include "base/hand_over_slot.h"

namespace kestro::updater {

// A verified installer, still held open exactly as it was verified; it is let go only once
// the installer process has been started (or given up on).
struct InstallerReady {
  std::string path;
  std::unique_ptr<HeldFile> held;
};
struct DownloadFailed {
  std::string text;  // for the user
};
using DownloadResult = std::variant<InstallerReady, DownloadFailed>;

using DownloadSlot = HandOverSlot<DownloadResult>;
// The process's slot, separate from the check's; never destroyed.
DownloadSlot& download_slot();

// Fetches `info.url` to "Kestro-Setup-<version>.exe" in the working directory, opens it once
// and reads it through that handle, then checks its length (when the manifest gave one), its
// digest and its publisher. A failed check deletes the file (after letting go of it); a failed
// transfer or read leaves whatever is there. Downloads run one after the other.
DownloadResult run_download(UpdaterPlatform& platform, const UpdateInfo& info);

}  // namespace kestro::updater

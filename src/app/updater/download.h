#pragma once
// Downloading and verifying an installer: length, then SHA-256 digest, then publisher and
// version. Runs on a worker thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "app/updater/manifest.h"
#include "app/updater/platform.h"
#include "base/hand_over_slot.h"

namespace kestro::updater {

// The digest reads the installer in pieces of this size, so its size never matters to memory.
inline constexpr std::size_t kHashPieceBytes = 1 << 20;

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

// SHA-256 of the whole held file read through it in pieces of kHashPieceBytes: nothing when
// it could not be computed (the hashing failed or threw, no memory, or the file gave other
// than `size` bytes). A failed read leaves the system's text in `read_error`.
std::optional<std::string> held_file_sha256(UpdaterPlatform& platform, HeldFile& file,
                                            std::uint64_t size, std::string& read_error) noexcept;

// Fetches `info.url` (at most `info.size` bytes) to "Kestro-Setup-<version>.exe" in the
// working folder (work_folder.h), opens it once and checks it through that handle: its
// length against `info.size` before a byte is read, its SHA-256 read in pieces,
// its signature (the maker's, for the program Kestro, not revoked), and that its version
// resource says `info.version` and the product Kestro (an installer of another version, an
// older one above all, or of another of the maker's programs is refused as not properly
// signed). Anything that does not
// end ready, a failed transfer included, deletes the file (after letting go of it). The window
// runs one download at a time (reactions.h).
DownloadResult run_download(UpdaterPlatform& platform, const UpdateInfo& info);

}  // namespace kestro::updater

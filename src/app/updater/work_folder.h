#pragma once
// Where one update check keeps its manifest and one download its installer.
//
// The working folder is the user's own (%TEMP%\Kestro), which every program of that user can
// write. That is fine for Kestro as the user runs it, but a copy started with administrator
// rights must not fetch, verify and start files there: a program without those rights could
// swap them in between. So an elevated copy gives each run a new folder of its own inside the
// working folder, which only administrators and the system can open.

#include <string>
#include <string_view>
#include <variant>

#include "app/updater/platform.h"

namespace kestro::updater {

// Owner Administrators; a protected access list (nothing inherited from the parent) that
// gives Administrators and SYSTEM full access to the folder and everything in it, and nobody
// else anything.
inline constexpr std::string_view kPrivateFolderSecurity =
    "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
// Random bytes in a private folder's name (written as hexadecimal digits).
inline constexpr std::size_t kPrivateNameBytes = 16;

struct WorkFolder {
  std::string path;
  bool private_folder = false;  // made for this run; removed again when the run is done
};

// The folder for one run, or the text for the user. The working folder must exist and be a
// folder itself, not a link to one; then, in an elevated copy, a new private folder with a
// random name is made inside it. Refusals and a private folder that cannot be made give the
// text of a failed transfer.
std::variant<WorkFolder, std::string> open_work_folder(UpdaterPlatform& platform);

// Deletes the run's file and, for a private folder, the folder (empty by then).
void discard_work_file(UpdaterPlatform& platform, const WorkFolder& folder,
                       std::string_view file);

}  // namespace kestro::updater

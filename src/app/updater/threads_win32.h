#pragma once
// The update check and the download, each on a detached thread of its own. The outcome goes
// into the slot the window shares with the thread, then `done` tells the window, also when the
// run broke off. False when no thread could be started; then nothing will be posted.

#include "app/updater/check.h"
#include "app/updater/download.h"
#include "app/updater/manifest.h"
#include "base/window_handle_win32.h"
#include "base/worker.h"

namespace kestro::updater {

bool start_update_check_thread(SharedSlot<CheckDelivery> slot, PostTo done, bool manual);
bool start_download_thread(SharedSlot<DownloadResult> slot, PostTo done, UpdateInfo info);
// Removes installers earlier updates left (work_folder.h); nothing is posted.
bool start_leftover_removal_thread();

}  // namespace kestro::updater

#pragma once
// The update check and the download, each on a detached thread of its own. The outcome goes
// into its slot (update_check_slot(), download_slot()), then `done_message` is posted to
// `window` (wParam 0, lParam 0), also when the run broke off. False when no thread could be
// started; then nothing will be posted.

#include <windows.h>

#include "app/updater/manifest.h"

namespace kestro::updater {

bool start_update_check_thread(HWND window, UINT done_message, bool manual);
bool start_download_thread(HWND window, UINT done_message, UpdateInfo info);
// Removes installers earlier updates left (work_folder.h); nothing is posted.
bool start_leftover_removal_thread();

}  // namespace kestro::updater

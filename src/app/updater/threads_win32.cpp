#include "app/updater/threads_win32.h"

#include <string>
#include <utility>

#include "app/updater/check.h"
#include "app/updater/download.h"
#include "app/updater/platform_win32.h"
#include "app/updater/texts.h"
#include "app/updater/work_folder.h"
#include "base/handles_win32.h"
#include "base/version.h"
#include "base/worker.h"
#include "i18n/language.h"
#include "i18n/product.h"
#include "i18n/translate.h"

namespace kestro::updater {

bool start_update_check_thread(HWND window, UINT done_message, bool manual) {
  std::string address = manifest_address(kProductPage, kVersion, current_language());
  return start_worker(
      [address = std::move(address), manual] {
        WindowsUpdaterPlatform platform;
        return CheckDelivery{run_update_check(platform, address, kVersion), manual};
      },
      [window, done_message](CheckDelivery delivery) {
        update_check_slot().put(std::move(delivery));
        // A failed post is not retried: the window is gone or its queue is full.
        PostMessageW(window, done_message, 0, 0);
      },
      CheckDelivery{CheckFailed{std::string(translate(texts::kDownloadFailed))}, manual});
}

bool start_download_thread(HWND window, UINT done_message, UpdateInfo info) {
  return start_worker(
      [info = std::move(info)]() -> DownloadResult {
        // The signature check may use COM on some systems; the thread has its own apartment.
        const ComApartment com(COINIT_MULTITHREADED);
        WindowsUpdaterPlatform platform;
        return run_download(platform, info);
      },
      [window, done_message](DownloadResult result) {
        download_slot().put(std::move(result));
        PostMessageW(window, done_message, 0, 0);
      },
      DownloadResult{DownloadFailed{std::string(translate(texts::kDownloadFailed))}});
}

bool start_leftover_removal_thread() {
  return start_worker(
      [] {
        WindowsUpdaterPlatform platform;
        remove_leftover_installers(platform, kVersion);
        return true;
      },
      [](bool) {}, false);
}

}  // namespace kestro::updater

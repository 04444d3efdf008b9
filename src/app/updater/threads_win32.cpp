#include "app/updater/threads_win32.h"

#include <string>
#include <utility>
#include <variant>

#include "app/updater/platform_win32.h"
#include "app/updater/texts.h"
#include "app/updater/work_folder.h"
#include "base/handles_win32.h"
#include "base/trace_win32.h"
#include "base/version.h"
#include "i18n/language.h"
#include "i18n/product.h"
#include "i18n/translate.h"

namespace kestro::updater {

bool start_update_check_thread(SharedSlot<CheckDelivery> slot, PostTo done, bool manual) {
  std::string address = manifest_address(kProductPage, kVersion, current_language());
  return start_hand_over(
      std::move(slot),
      [address = std::move(address), manual] {
        WindowsUpdaterPlatform platform;
        CheckResult result = run_update_check(platform, address, kVersion);
        if (const auto* failed = std::get_if<CheckFailed>(&result)) {
          trace_failure("The update check", failed->text);
        }
        return CheckDelivery{std::move(result), manual};
      },
      done, CheckDelivery{CheckFailed{std::string(translate(texts::kDownloadFailed))}, manual});
}

bool start_download_thread(SharedSlot<DownloadResult> slot, PostTo done, UpdateInfo info) {
  return start_hand_over(
      std::move(slot),
      [info = std::move(info)]() -> DownloadResult {
        // The signature check may use COM on some systems; the thread has its own apartment.
        const ComApartment com(COINIT_MULTITHREADED);
        WindowsUpdaterPlatform platform;
        DownloadResult result = run_download(platform, info);
        if (const auto* failed = std::get_if<DownloadFailed>(&result)) {
          trace_failure("The update download", failed->text);
        }
        return result;
      },
      done, DownloadResult{DownloadFailed{std::string(translate(texts::kDownloadFailed))}});
}

bool start_leftover_removal_thread() {
  return start_worker(
      [] {
        WindowsUpdaterPlatform platform;
        remove_leftover_installers(platform);
        return true;
      },
      [](bool) {}, false);
}

}  // namespace kestro::updater

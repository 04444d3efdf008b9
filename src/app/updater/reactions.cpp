#include "app/updater/reactions.h"

#include <utility>

#include "app/updater/launch.h"
#include "app/updater/texts.h"
#include "i18n/translate.h"

namespace kestro::updater {

void on_check_result(CheckDelivery delivery, UpdateUi& ui, std::string_view current_version) {
  if (std::holds_alternative<UpToDate>(delivery.result)) {
    if (delivery.manual) ui.toast(up_to_date_text(current_version));
    return;
  }
  if (auto* failed = std::get_if<CheckFailed>(&delivery.result)) {
    if (delivery.manual) ui.toast(std::move(failed->text));
    return;
  }
  UpdateInfo& info = std::get<Available>(delivery.result).info;
  if (!ui.ask(update_prompt_text(info.version, current_version))) return;
  ui.toast(std::string(translate(texts::kDownloading)));
  if (!ui.start_download(std::move(info))) {
    ui.toast(std::string(translate(texts::kDownloadFailed)));
  }
}

void on_download_result(DownloadResult result, UpdateUi& ui) {
  if (auto* failed = std::get_if<DownloadFailed>(&result)) {
    ui.toast(std::move(failed->text));
    return;
  }
  InstallerReady& ready = std::get<InstallerReady>(result);
  const bool started = ui.start_installer(ready.path, installer_command_line(ready.path));
  ready.held.reset();  // the installer runs (or never will): nothing left to guard
  if (started) ui.close_for_update();
}

}  // namespace kestro::updater

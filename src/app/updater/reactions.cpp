#include "app/updater/reactions.h"

#include <utility>

#include "app/updater/launch.h"
#include "app/updater/texts.h"
#include "i18n/translate.h"

namespace kestro::updater {

namespace {

std::string toast_text(const TextPair& pair) { return std::string(translate(pair)); }

}  // namespace

UpdateReactions::UpdateReactions(UpdateUi& ui, std::string_view current_version,
                                 Elevation elevation, UpdateCheckSlot& checks,
                                 DownloadSlot& downloads)
    : ui_(ui),
      current_version_(current_version),
      allowed_(may_update(elevation)),
      checks_(checks),
      downloads_(downloads) {}

void UpdateReactions::start_check(bool manual) {
  if (!allowed_) {
    if (manual) ui_.toast(toast_text(texts::kUpdateFromNormalCopy));
    return;
  }
  if (!checks_.awaited()) on_check_done();  // a finished check whose message was lost
  if (manual) ui_.toast(toast_text(texts::kChecking));
  if (checks_.awaited()) {
    manual_waiting_ = manual_waiting_ || manual;
    return;
  }
  run_check(manual);
}

void UpdateReactions::run_check(bool manual) {
  // No result will come; a manual check's user was just told a check is running.
  if (!ui_.start_check(manual) && manual) ui_.toast(toast_text(texts::kDownloadFailed));
}

void UpdateReactions::remove_leftovers() {
  if (allowed_ && !downloads_.awaited()) ui_.start_leftover_removal();
}

void UpdateReactions::on_check_done() {
  std::optional<CheckDelivery> delivery = checks_.take();
  if (!delivery) return;
  if (manual_waiting_ && !checks_.awaited()) {
    manual_waiting_ = false;
    run_check(true);
  }
  if (std::holds_alternative<UpToDate>(delivery->result)) {
    if (delivery->manual) ui_.toast(up_to_date_text(current_version_));
  } else if (auto* failed = std::get_if<CheckFailed>(&delivery->result)) {
    if (delivery->manual) ui_.toast(std::move(failed->text));
  } else {
    offer(std::move(std::get<Available>(delivery->result).info), delivery->manual);
  }
}

void UpdateReactions::offer(UpdateInfo info, bool manual) {
  if (asking_) return;
  if (downloads_.awaited()) {
    if (manual) ui_.toast(toast_text(texts::kDownloading));
    return;
  }
  // A finished download whose message was lost is dealt with instead of a second one.
  if (std::optional<DownloadResult> lost = downloads_.take()) {
    finish_download(std::move(*lost));
    return;
  }
  // The question runs a modal loop, in which further outcomes arrive and are handled; the
  // guard stays up until it is answered, whatever they are.
  asking_ = true;
  const bool yes = ui_.ask(update_prompt_text(info.version, current_version_));
  asking_ = false;
  if (!yes) return;
  ui_.toast(toast_text(texts::kDownloading));
  // No thread: the user was just told it is downloading.
  if (!ui_.start_download(std::move(info))) ui_.toast(toast_text(texts::kDownloadFailed));
}

void UpdateReactions::on_download_done() {
  if (std::optional<DownloadResult> result = downloads_.take()) finish_download(std::move(*result));
}

void UpdateReactions::finish_download(DownloadResult result) {
  if (auto* failed = std::get_if<DownloadFailed>(&result)) {
    ui_.toast(std::move(failed->text));
    return;
  }
  InstallerReady& ready = std::get<InstallerReady>(result);
  const std::optional<std::string> failure =
      ui_.start_installer(ready, installer_command_line(ready.path));
  ready.held.reset();  // the installer runs (or never will): nothing left to guard
  if (!failure) {
    ui_.close_for_update();
    return;
  }
  ui_.discard_installer(ready);
  ui_.toast(*failure);
}

}  // namespace kestro::updater

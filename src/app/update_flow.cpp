#include "app/update_flow.h"

#include <string>
#include <utility>

#include "app/updater/reactions.h"
#include "app/updater/schedule.h"
#include "app/updater/texts.h"
#include "base/version.h"
#include "i18n/translate.h"

namespace kestro::app {

namespace {

// The outcomes' view of the window: toasts go through the state slot (and are dropped when
// the state is missing or lent out); everything else goes to the host with the slot free.
class WindowUpdateUi final : public updater::UpdateUi {
 public:
  WindowUpdateUi(WindowController& controller, WindowHost& host)
      : controller_(controller), host_(host) {}

  void toast(std::string text) override { controller_.show_toast(std::move(text)); }
  bool ask(std::string_view text) override { return host_.ask_update(text); }
  bool start_download(updater::UpdateInfo info) override {
    return host_.start_download_worker(std::move(info));
  }
  bool start_installer(std::string_view path, std::string_view command_line) override {
    return host_.start_installer(path, command_line);
  }
  void close_for_update() override { host_.destroy_window(); }

 private:
  WindowController& controller_;
  WindowHost& host_;
};

}  // namespace

bool run_startup_update_check(SettingsStore& settings, std::uint64_t now,
                              WindowController& controller) {
  const bool enabled = auto_update_enabled(settings.read_flag());
  const std::uint64_t last = parse_last_update_check(settings.read_text(kLastUpdateCheckValue));
  if (!updater::automatic_check_due(enabled, last, now)) return false;
  settings.write_text(kLastUpdateCheckValue, format_last_update_check(now));
  controller.start_update_check(false);
  return true;
}

void WindowController::start_update_check(bool manual) {
  if (manual) show_toast(std::string(translate(updater::texts::kChecking)));
  if (!host_.start_update_check_worker(manual) && manual) {
    // No result will come; the user was just told a check is running.
    show_toast(std::string(translate(updater::texts::kDownloadFailed)));
  }
}

void WindowController::on_update_check_done() {
  std::optional<updater::CheckDelivery> delivery = update_checks_.take();
  if (!delivery) return;
  const bool offer = std::holds_alternative<updater::Available>(delivery->result);
  // One question at a time: an offer that arrives while the user is answering one is dropped
  // (the next check asks again).
  if (offer && asking_update_) return;
  asking_update_ = offer;
  WindowUpdateUi ui(*this, host_);
  updater::on_check_result(std::move(*delivery), ui, kVersion);
  if (offer) asking_update_ = false;
}

void WindowController::on_download_done() {
  std::optional<updater::DownloadResult> result = downloads_.take();
  if (!result) return;
  WindowUpdateUi ui(*this, host_);
  updater::on_download_result(std::move(*result), ui);
}

}  // namespace kestro::app

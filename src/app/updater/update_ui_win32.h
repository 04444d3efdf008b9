#pragma once
// The window's side of updating on Windows: the message box, the check and download threads
// (which hand their outcomes over through the window's slots and post `check_done` and
// `download_done`), the installer start and the window's end. Toasts go to the window.

#include <windows.h>

#include <string>

#include "app/updater/reactions.h"
#include "base/toast_sink.h"
#include "base/window_handle_win32.h"
#include "base/worker.h"

namespace kestro::updater {

class Win32UpdateUi final : public UpdateUi {
 public:
  Win32UpdateUi(const WindowHandle& window, UINT check_done, UINT download_done,
                ToastSink& toasts, SharedSlot<CheckDelivery> checks,
                SharedSlot<DownloadResult> downloads);

  void toast(std::string text) override { toasts_.show_toast(std::move(text)); }
  bool ask(std::string_view text) override;
  bool start_check(bool manual) override;
  bool start_download(UpdateInfo info) override;
  void start_leftover_removal() override;
  std::optional<std::string> start_installer(const InstallerReady& installer,
                                             std::string_view command_line) override;
  void discard_installer(const InstallerReady& installer) override;
  void close_for_update() override;

 private:
  const WindowHandle& window_;
  UINT check_done_;
  UINT download_done_;
  ToastSink& toasts_;
  SharedSlot<CheckDelivery> checks_;
  SharedSlot<DownloadResult> downloads_;
};

}  // namespace kestro::updater

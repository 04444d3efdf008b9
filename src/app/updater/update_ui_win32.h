#pragma once
// The window's side of updating on Windows: the message box, the check and download threads
// (which post `check_done` and `download_done` to the window), the installer start and the
// window's end. Toasts go to whoever shows them (the window controller).

#include <windows.h>

#include <functional>
#include <string>

#include "app/updater/reactions.h"

namespace kestro::updater {

class Win32UpdateUi final : public UpdateUi {
 public:
  Win32UpdateUi(HWND window, UINT check_done, UINT download_done,
                std::function<void(std::string)> show_toast);

  void toast(std::string text) override { show_toast_(std::move(text)); }
  bool ask(std::string_view text) override;
  bool start_check(bool manual) override;
  bool start_download(UpdateInfo info) override;
  void start_leftover_removal() override;
  std::optional<std::string> start_installer(const InstallerReady& installer,
                                             std::string_view command_line) override;
  void discard_installer(const InstallerReady& installer) override;
  void close_for_update() override;

 private:
  HWND window_;
  UINT check_done_;
  UINT download_done_;
  std::function<void(std::string)> show_toast_;
};

}  // namespace kestro::updater

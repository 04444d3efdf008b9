#include "app/updater/update_ui_win32.h"

#include <utility>

#include "app/updater/platform_win32.h"
#include "app/updater/texts.h"
#include "app/updater/threads_win32.h"
#include "base/trace_win32.h"
#include "base/utf16_win32.h"
#include "i18n/translate.h"

namespace kestro::updater {

Win32UpdateUi::Win32UpdateUi(const WindowHandle& window, UINT check_done, UINT download_done,
                             ToastSink& toasts, SharedSlot<CheckDelivery> checks,
                             SharedSlot<DownloadResult> downloads)
    : window_(window),
      check_done_(check_done),
      download_done_(download_done),
      toasts_(toasts),
      checks_(std::move(checks)),
      downloads_(std::move(downloads)) {}

bool Win32UpdateUi::ask(std::string_view text) {
  return MessageBoxW(window_.get(), to_wide(text).c_str(), to_wide(kPromptCaption).c_str(),
                     MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

bool Win32UpdateUi::start_check(bool manual) {
  if (start_update_check_thread(checks_, PostTo{window_.get(), check_done_}, manual)) return true;
  trace_failure("Starting the update check thread", E_OUTOFMEMORY);
  return false;
}

bool Win32UpdateUi::start_download(UpdateInfo info) {
  if (start_download_thread(downloads_, PostTo{window_.get(), download_done_}, std::move(info))) return true;
  trace_failure("Starting the download thread", E_OUTOFMEMORY);
  return false;
}

void Win32UpdateUi::start_leftover_removal() {
  if (!start_leftover_removal_thread()) trace_failure("Starting the leftover removal", E_OUTOFMEMORY);
}

std::optional<std::string> Win32UpdateUi::start_installer(const InstallerReady& installer,
                                                          std::string_view command_line) {
  if (!installer.held) return std::string(translate(texts::kSignatureRejected));
  return updater::start_installer(*installer.held, installer.path, command_line);
}

void Win32UpdateUi::discard_installer(const InstallerReady& installer) {
  (void)WindowsUpdaterPlatform{}.delete_file(installer.path);
}

void Win32UpdateUi::close_for_update() { (void)DestroyWindow(window_.get()); }

}  // namespace kestro::updater

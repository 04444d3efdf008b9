#pragma once
// What the window does with a check or download outcome. The window side implements
// `UpdateUi` (toasts, the question, starting threads and the installer, closing); the rules
// of when to say what live here.

#include <string>
#include <string_view>

#include "app/updater/check.h"
#include "app/updater/download.h"

namespace kestro::updater {

class UpdateUi {
 public:
  virtual ~UpdateUi() = default;
  // A toast; dropped when the window's state is not available (missing or lent out).
  virtual void toast(std::string text) = 0;
  // The modal Yes/No question, asked with the window's state free. True for Yes.
  virtual bool ask(std::string_view text) = 0;
  // Starts the download thread; false when no thread could be started.
  virtual bool start_download(UpdateInfo info) = 0;
  // Starts the installer as its own process; true when it started.
  virtual bool start_installer(std::string_view path, std::string_view command_line) = 0;
  // Ends the window for the installer, without saving its placement.
  virtual void close_for_update() = 0;
};

// Up to date or failed: a toast for a manual check only. A newer release: always the
// question; Yes shows "Downloading update…" and starts the download. A download thread that
// cannot be started says "Download failed" (the user was just told it is downloading).
void on_check_result(CheckDelivery delivery, UpdateUi& ui, std::string_view current_version);

// Failed: the text as a toast. Ready: the installer is started with its four switches while
// the file is still held; the hold ends right after, and a started installer closes the window.
// An installer that does not start changes nothing visible.
void on_download_result(DownloadResult result, UpdateUi& ui);

}  // namespace kestro::updater

#pragma once
// What the window does about updates: starting checks, and acting on the outcome of a check or
// a download when its message arrives. The rules of when to say and do what live here; the
// window side implements `UpdateUi` (toasts, the question, threads, the installer, closing).

#include <optional>
#include <string>
#include <string_view>

#include "app/updater/check.h"
#include "app/updater/download.h"
#include "app/updater/elevation.h"

namespace kestro::updater {

class UpdateUi {
 public:
  virtual ~UpdateUi() = default;
  // A toast; dropped when the window's state is not available (missing or lent out).
  virtual void toast(std::string text) = 0;
  // The modal Yes/No question, asked with the window's state free. True for Yes.
  virtual bool ask(std::string_view text) = 0;
  // Start the check or download thread; false when no thread could be started.
  virtual bool start_check(bool manual) = 0;
  virtual bool start_download(UpdateInfo info) = 0;
  // Start the thread that removes installers left by earlier updates (work_folder.h).
  virtual void start_leftover_removal() = 0;
  // Starts the verified installer with `command_line`, while it is still held: nothing when it
  // started, else the text for the user.
  virtual std::optional<std::string> start_installer(const InstallerReady& installer,
                                                     std::string_view command_line) = 0;
  // Deletes an installer that was let go without being started.
  virtual void discard_installer(const InstallerReady& installer) = 0;
  // Ends the window for the installer, without saving its placement.
  virtual void close_for_update() = 0;
};

// One per window. Only one check runs at a time, one update question is open and one download
// runs. A copy that may not update (elevation.h) starts nothing at all. The slots are the ones
// the window's check and download threads put their outcomes into; whether a check or download
// is still running is read from them, so a message that never came cannot leave one running
// for good.
class UpdateReactions {
 public:
  UpdateReactions(UpdateUi& ui, std::string_view current_version, Elevation elevation,
                  UpdateCheckSlot& checks, DownloadSlot& downloads);

  // Whether this copy updates at all.
  bool allowed() const { return allowed_; }

  // A manual check ("Check for updates") first says "Checking for updates…"; a check thread
  // that cannot be started then says "Download failed". The automatic check says nothing. In
  // a copy that may not update, a manual check only says where updates come from. A manual
  // check asked for while another check runs starts once that one is done. A check whose
  // thread is done but whose message never came is answered first.
  void start_check(bool manual);

  // At start-up: installers that earlier updates left behind go, on a thread of their own.
  void remove_leftovers();

  // The check's message (it starts a manual check that waited for it). Up to date or failed:
  // a toast for a manual check only. A newer release: the question; Yes says "Downloading
  // update…" and starts the download. An offer that arrives while a question is open is
  // dropped (the next check asks again); one that arrives while a download runs asks nothing,
  // and a manual check is told it is downloading.
  void on_check_done();

  // The download's message. Failed: the text as a toast. Ready: the installer is started with
  // its four switches while still held, then let go; a started installer closes the window,
  // one that does not start is deleted and the reason shown.
  void on_download_done();

 private:
  void run_check(bool manual);
  void offer(UpdateInfo info, bool manual);
  void finish_download(DownloadResult result);

  UpdateUi& ui_;
  std::string current_version_;
  bool allowed_;
  UpdateCheckSlot& checks_;
  DownloadSlot& downloads_;
  bool manual_waiting_ = false;  // a manual check starts once the running one is done
  bool asking_ = false;          // the update question is open
};

}  // namespace kestro::updater

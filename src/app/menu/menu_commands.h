#pragma once
// What the toolbar's Menu button and "View as administrator" do: the pop-up menu opens from
// the stored settings and its chosen command runs. Everything it needs of the window and the
// system goes through `MenuHost`.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/menu/context_menu.h"
#include "app/settings/settings.h"
#include "base/elevation.h"

namespace kestro::app {

class MenuHost {
 public:
  virtual ~MenuHost() = default;
  // The per-user settings, read and written at the moment they are needed.
  virtual SettingsStore& settings() = 0;
  // Shows the pop-up menu with its top-left corner at the client point (x, y) and waits for the
  // choice: the chosen command id, or kCommandDismissed. Runs a modal loop, so it is called
  // with the window's state released.
  virtual std::uint32_t track_menu(const std::vector<MenuItem>& menu, int x, int y) = 0;
  // Hands a web address to the user's browser with this process's own rights; failures are
  // not reported.
  virtual void open_address(std::string_view address) = 0;
  // Hands it to the desktop's own shell, which opens it with the user's own rights; when that
  // cannot be done nothing opens (failures are not reported).
  virtual void open_address_from_desktop(std::string_view address) = 0;
  // A modal information box with an OK button, owned by the window (state released).
  virtual void show_information(std::string_view caption, std::string_view text) = 0;
  // Restarts the program with administrator rights; on success the window is destroyed without
  // saving its placement. Runs with the state released (the elevation prompt is modal).
  virtual void relaunch_elevated() = 0;
  // "Check for updates": a manual update check, which tells the user what it finds.
  virtual void check_for_updates() = 0;
  // A toast; dropped when the window's state is not available (missing or lent out).
  virtual void toast(std::string text) = 0;
};

// A raised copy (elevation.h: through UAC or without a prompt) starts nothing with its own rights that the user's
// other programs could have chosen: the browser that opens a web address is whatever they
// registered, so the desktop's shell opens it instead, and there is no raising it further.
class MenuCommands {
 public:
  MenuCommands(MenuHost& host, Elevation elevation) : host_(host), raised_(runs_raised(elevation)) {}

  // The pop-up menu at the client point (x, y), its check marks from what is stored right now
  // (two reads, no write), then the chosen command.
  void open(int x, int y);
  // A language is stored (even when unchanged) and applies from the next start, which a toast
  // says; Automatic updates stores the opposite of its mark; the others ask the host.
  void run(std::uint32_t id);
  // "View as administrator"; nothing in a copy that is raised already.
  void relaunch_elevated() {
    if (!raised_) host_.relaunch_elevated();
  }

 private:
  MenuHost& host_;
  bool raised_;
};

}  // namespace kestro::app

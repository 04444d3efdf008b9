#pragma once
// A window host that records what the window core asked for, with a settable clock, client
// size and clipboard outcome.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/window_host.h"
#include "fake_settings.h"
#include "recording_canvas.h"

namespace kestro::test {

class FakeWindowHost : public app::WindowHost {
 public:
  // Input.
  app::ClientSize client{1080, 800};
  std::chrono::steady_clock::time_point clock{std::chrono::hours(1)};
  bool clipboard_works = true;
  bool has_device = true;  // without it there is no measurer and so no toolbar
  bool threads_start = true;  // false: no probe thread can be started
  RecordingCanvas canvas;  // used only to measure

  // Output.
  int invalidations = 0;
  std::map<std::uint32_t, std::uint32_t> timers;  // running timers: id → period
  std::vector<std::uint32_t> killed;
  int probes_started = 0;
  int leave_requests = 0;
  std::vector<std::string> clipboard_writes;  // successful writes only
  int clipboard_attempts = 0;
  FakeSettings stored;
  std::uint32_t menu_choice = app::kCommandDismissed;  // what the user picks in the menu
  std::vector<std::pair<int, int>> menus;               // where each menu opened
  std::vector<std::vector<app::MenuItem>> menu_items;   // what each menu showed
  std::vector<std::string> addresses;                   // opened in the browser
  std::vector<std::pair<std::string, std::string>> information;  // caption, text
  int relaunches = 0;
  bool mouse_captured = false;
  // Called from inside every modal call (menu, message box, relaunch), to act as re-entrant
  // dispatch of the modal loop.
  std::function<void()> during_modal;

  int update_checks = 0;  // "Check for updates" chosen

  void advance(std::chrono::nanoseconds d) { clock += d; }

  void invalidate() override { ++invalidations; }
  void set_timer(std::uint32_t id, std::uint32_t period_ms) override { timers[id] = period_ms; }
  void kill_timer(std::uint32_t id) override {
    timers.erase(id);
    killed.push_back(id);
  }
  app::ClientSize client_size() override { return client; }
  std::chrono::steady_clock::time_point now() override { return clock; }
  void track_mouse_leave() override { ++leave_requests; }
  bool set_clipboard_text(std::string_view text) override {
    ++clipboard_attempts;
    if (!clipboard_works) return false;
    clipboard_writes.emplace_back(text);
    return true;
  }
  bool start_probe_worker() override {
    if (!threads_start) return false;
    ++probes_started;
    return true;
  }
  void capture_mouse() override { mouse_captured = true; }
  void release_mouse() override { mouse_captured = false; }
  app::SettingsStore& settings() override { return stored; }
  std::uint32_t track_menu(const std::vector<app::MenuItem>& menu, int x, int y) override {
    menus.emplace_back(x, y);
    menu_items.push_back(menu);
    if (during_modal) during_modal();
    return menu_choice;
  }
  void open_address(std::string_view address) override { addresses.emplace_back(address); }
  void show_information(std::string_view caption, std::string_view text) override {
    information.emplace_back(caption, text);
    if (during_modal) during_modal();
  }
  void relaunch_elevated() override {
    ++relaunches;
    if (during_modal) during_modal();
  }
  gfx::TextMeasurer* measurer() override { return has_device ? &canvas : nullptr; }

  void check_for_updates() override { ++update_checks; }
};

}  // namespace kestro::test

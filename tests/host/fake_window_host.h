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
#include <vector>

#include "app/window_host.h"
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
  std::vector<std::pair<int, int>> menus;
  int relaunches = 0;
  // Called from inside show_context_menu / relaunch_elevated, to act as re-entrant dispatch.
  std::function<void()> during_modal;

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
  void show_context_menu(int x, int y) override {
    menus.emplace_back(x, y);
    if (during_modal) during_modal();
  }
  void relaunch_elevated() override {
    ++relaunches;
    if (during_modal) during_modal();
  }
  gfx::TextMeasurer* measurer() override { return has_device ? &canvas : nullptr; }
};

}  // namespace kestro::test

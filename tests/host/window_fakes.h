#pragma once
// The window side of the tests: settings kept in memory, a window host and a menu host that
// record what the window core asked of them, and a window controller wired to them as the
// real window wires it.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/menu/menu_commands.h"
#include "app/settings/settings.h"
#include "app/view/app_state.h"
#include "app/window/window_controller.h"
#include "app/window/window_host.h"
#include "gfx/device_keeper.h"
#include "i18n/translate.h"
#include "probe/probe_slot.h"
#include "recording_canvas.h"

namespace kestro::test {

// Settings kept in memory, with a count of reads and writes.
class FakeSettings : public app::SettingsStore {
 public:
  std::map<std::string, std::string, std::less<>> texts;
  std::optional<std::uint32_t> auto_update;
  int reads = 0;
  int writes = 0;

  std::optional<std::string> read_text(std::string_view name) override {
    ++reads;
    const auto found = texts.find(name);
    if (found == texts.end()) return std::nullopt;
    return found->second;
  }
  void write_text(std::string_view name, std::string_view text) override {
    ++writes;
    texts[std::string(name)] = std::string(text);
  }
  std::optional<std::uint32_t> read_auto_update() override {
    ++reads;
    return auto_update;
  }
  void write_number(std::string_view name, std::uint32_t value) override {
    ++writes;
    if (name == app::kAutoUpdateValue) auto_update = value;
  }
  std::optional<std::vector<std::uint8_t>> read_placement() override {
    ++reads;
    return std::nullopt;
  }
  void write_placement(std::span<const std::uint8_t>) override { ++writes; }
  void remove_all() override {
    ++writes;
    texts.clear();
    auto_update.reset();
  }
};

// A drawing device that is either working or lost, at every call from the loss on.
struct FakeDevice {
  int serial = 0;             // the how-manieth device the window made
  bool lost = false;
  bool lose_in_frame = false;  // lost while the next frame is drawn: its end finds it

  gfx::DeviceStep step() const { return lost ? gfx::DeviceStep::Lost : gfx::DeviceStep::Done; }
  gfx::DeviceStep resize(int, int) { return step(); }
  gfx::DeviceStep begin(gfx::Colour) {
    const gfx::DeviceStep began = step();
    lost = lost || lose_in_frame;
    return began;
  }
  gfx::DeviceStep end() { return step(); }
};

// A window host with a settable clock, client size and clipboard outcome.
class FakeWindowHost : public app::WindowHost, private gfx::DeviceSource<FakeDevice> {
 public:
  // Input.
  app::ClientSize client{1080, 800};
  std::chrono::steady_clock::time_point clock{std::chrono::hours(1)};
  bool clipboard_works = true;
  bool has_text = true;    // the text formats: without them nothing measures (no toolbar)
  bool has_device = true;  // a drawing device can be made
  bool threads_start = true;  // false: no probe thread can be started
  probe::ProbeSlot* probes = nullptr;  // a started run is due to put its outcome there
  RecordingCanvas canvas;  // measures, and records the frames painted

  // Output.
  int invalidations = 0;
  std::map<std::uint32_t, std::uint32_t> timers;  // running timers: id → period
  std::vector<std::uint32_t> killed;
  int probes_started = 0;
  int frames_shown = 0;
  std::vector<int> frame_devices;  // the serial of the device that drew each frame shown
  int devices_made = 0;
  bool repaint_due = false;  // invalidated since the last validation
  int leave_requests = 0;
  std::vector<std::string> clipboard_writes;  // successful writes only
  int clipboard_attempts = 0;
  bool mouse_captured = false;

  void advance(std::chrono::nanoseconds d) { clock += d; }
  void lose_device(bool in_frame) {
    if (FakeDevice* d = device.device()) (in_frame ? d->lose_in_frame : d->lost) = true;
  }

  void invalidate() override {
    ++invalidations;
    repaint_due = true;
  }
  void validate() override { repaint_due = false; }
  void resize_buffers() override { device.resize(*this, client.width, client.height); }
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
    if (probes) probes->expect();
    return true;
  }
  void capture_mouse() override { mouse_captured = true; }
  void release_mouse() override { mouse_captured = false; }
  gfx::TextMeasurer* measurer() override { return has_text ? &canvas : nullptr; }
  gfx::Canvas* begin_frame(gfx::Colour background) override {
    return has_text && device.begin(*this, background) ? &canvas : nullptr;
  }
  void end_frame() override {
    const int serial = device.device()->serial;
    device.end(*this);
    if (device.device() && device.device()->serial == serial) {
      ++frames_shown;
      frame_devices.push_back(serial);
    }
  }

 private:
  std::unique_ptr<FakeDevice> make_device() override {
    if (!has_device) return nullptr;
    return std::make_unique<FakeDevice>(FakeDevice{++devices_made});
  }
  void repaint() override { invalidate(); }

  gfx::DeviceKeeper<FakeDevice> device;
};

// A menu host: the user's choice in the menu is set beforehand; toasts go to `show_toast`.
class FakeMenuHost : public app::MenuHost {
 public:
  // Input.
  FakeSettings stored;
  std::uint32_t menu_choice = app::kCommandDismissed;  // what the user picks in the menu
  // Called from inside every modal call (menu, message box, relaunch), to act as re-entrant
  // dispatch of the modal loop.
  std::function<void()> during_modal;
  std::function<void(std::string)> show_toast;

  // Output.
  std::vector<std::pair<int, int>> menus;               // where each menu opened
  std::vector<std::vector<app::MenuItem>> menu_items;   // what each menu showed
  std::vector<std::string> addresses;                   // opened in the browser
  std::vector<std::string> desktop_addresses;           // handed to the desktop's shell
  std::vector<std::pair<std::string, std::string>> information;  // caption, text
  int relaunches = 0;
  int update_checks = 0;

  app::SettingsStore& settings() override { return stored; }
  std::uint32_t track_menu(const std::vector<app::MenuItem>& menu, int x, int y) override {
    menus.emplace_back(x, y);
    menu_items.push_back(menu);
    if (during_modal) during_modal();
    return menu_choice;
  }
  void open_address(std::string_view address) override { addresses.emplace_back(address); }
  void open_address_from_desktop(std::string_view address) override {
    desktop_addresses.emplace_back(address);
  }
  void show_information(std::string_view caption, std::string_view text) override {
    information.emplace_back(caption, text);
    if (during_modal) during_modal();
  }
  void relaunch_elevated() override {
    ++relaunches;
    if (during_modal) during_modal();
  }
  void check_for_updates() override { ++update_checks; }
  void toast(std::string text) override {
    if (show_toast) show_toast(std::move(text));
  }
};

// The window controller over the fakes, with a state in its slot and English texts.
class ControllerFixture {
 public:
  ControllerFixture() {
    slot.put(std::make_unique<app::AppState>());
    forget_records();
  }

  // The hosts start afresh (their records and inputs); the menu's toasts still reach the
  // controller.
  void forget_records() {
    host = FakeWindowHost{};
    host.probes = &probes;
    menu_host = FakeMenuHost{};
    menu_host.show_toast = [this](std::string text) { controller.show_toast(std::move(text)); };
  }
  // The state outlives the claim; tests only look at it between messages.
  app::AppState& state() { return *slot.claim(); }
  void click(int x, int y) {
    controller.on_left_button_down(x, y);
    controller.on_left_button_up(x, y);
  }
  void key(std::uint32_t virtual_key, bool shift = false) {
    controller.on_key(virtual_key, false, shift);
  }
  // The first probe run delivers `report`; then the records start afresh.
  void load(Report report) {
    controller.start();
    probes.put({std::move(report)});
    controller.on_probe_done();
    forget_records();
  }

  ScopedLanguageOverride english{"en"};
  app::StateSlot<app::AppState> slot;
  FakeWindowHost host;
  FakeMenuHost menu_host;
  probe::ProbeSlot probes;
  app::MenuCommands menu{menu_host, Elevation::Limited};
  app::WindowController controller{slot, host, probes, menu};
};

}  // namespace kestro::test

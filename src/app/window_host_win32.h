#pragma once
// The real window behind the portable window core: timers, invalidation, client size, the
// clipboard, the probe thread, the menu, message boxes and the drawing device of one HWND;

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "app/settings_registry_win32.h"
#include "app/window_host.h"
#include "gfx/gfx_win32.h"

namespace kestro::app {

class Win32WindowHost final : public WindowHost {
 public:
  // `check_for_updates` starts a manual update check (the window's update reactions own it).
  explicit Win32WindowHost(HWND hwnd, std::function<void()> check_for_updates = {})
      : hwnd_(hwnd), check_for_updates_(std::move(check_for_updates)) {}

  HWND hwnd() const { return hwnd_; }

  // The drawing device; null when it could not be created. Replacing it (after a lost device)
  // releases the old one.
  gfx::Gfx* gfx() { return gfx_.get(); }
  gfx::D2dCanvas* canvas() { return canvas_ ? &*canvas_ : nullptr; }
  void set_gfx(std::unique_ptr<gfx::Gfx> device);
  void drop_gfx() { set_gfx(nullptr); }

  void invalidate() override;
  void set_timer(std::uint32_t id, std::uint32_t period_ms) override;
  void kill_timer(std::uint32_t id) override;
  ClientSize client_size() override;
  std::chrono::steady_clock::time_point now() override;
  void track_mouse_leave() override;
  bool set_clipboard_text(std::string_view text) override;
  bool start_probe_worker() override;
  void capture_mouse() override;
  void release_mouse() override;
  SettingsStore& settings() override { return settings_; }
  std::uint32_t track_menu(const std::vector<MenuItem>& menu, int x, int y) override;
  void open_address(std::string_view address) override;
  void show_information(std::string_view caption, std::string_view text) override;
  void relaunch_elevated() override;
  gfx::TextMeasurer* measurer() override;
  void check_for_updates() override {
    if (check_for_updates_) check_for_updates_();
  }

 private:
  HWND hwnd_;
  std::function<void()> check_for_updates_;
  RegistrySettings settings_;
  std::unique_ptr<gfx::Gfx> gfx_;
  std::optional<gfx::D2dCanvas> canvas_;  // over *gfx_, present exactly when gfx_ is
};

}  // namespace kestro::app

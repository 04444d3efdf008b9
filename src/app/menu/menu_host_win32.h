#pragma once
// The menu's side of the real window: the pop-up menu, the browser, the About box, the
// elevated restart and the settings in the registry. Toasts go to the window, the update check
// to whoever runs checks (the update reactions).

#include <windows.h>

#include <functional>
#include <string>

#include "app/menu/menu_commands.h"
#include "app/settings/settings_registry_win32.h"
#include "base/toast_sink.h"
#include "base/window_handle_win32.h"

namespace kestro::app {

class Win32MenuHost final : public MenuHost {
 public:
  Win32MenuHost(const WindowHandle& window, ToastSink& toasts,
                std::function<void()> check_for_updates);

  SettingsStore& settings() override { return settings_; }
  std::uint32_t track_menu(const std::vector<MenuItem>& menu, int x, int y) override;
  void open_address(std::string_view address) override;
  void open_address_from_desktop(std::string_view address) override;
  void show_information(std::string_view caption, std::string_view text) override;
  void relaunch_elevated() override;
  void check_for_updates() override { check_for_updates_(); }
  void toast(std::string text) override { toasts_.show_toast(std::move(text)); }

 private:
  const WindowHandle& window_;
  RegistrySettings settings_;
  ToastSink& toasts_;
  std::function<void()> check_for_updates_;
};

}  // namespace kestro::app

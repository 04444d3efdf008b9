#include "app/menu/menu_host_win32.h"

#include <shellapi.h>

#include <optional>
#include <string>
#include <utility>

#include "app/menu/desktop_shell_win32.h"
#include "app/menu/popup_menu_win32.h"
#include "app/menu/relaunch_win32.h"
#include "base/trace_win32.h"
#include "base/utf16_win32.h"

namespace kestro::app {

Win32MenuHost::Win32MenuHost(const WindowHandle& window, ToastSink& toasts,
                             std::function<void()> check_for_updates)
    : window_(window), toasts_(toasts), check_for_updates_(std::move(check_for_updates)) {}

std::uint32_t Win32MenuHost::track_menu(const std::vector<MenuItem>& menu, int x, int y) {
  return track_popup_menu(window_.get(), menu, x, y);
}

void Win32MenuHost::open_address(std::string_view address) {
  // No owner window: the browser is a program of its own.
  const std::wstring wide = to_wide(address);
  const HINSTANCE opened = ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (const INT_PTR code = reinterpret_cast<INT_PTR>(opened); code <= 32) {
    trace_failure("ShellExecuteW open " + std::string(address), "returned " + std::to_string(code));
  }
}

void Win32MenuHost::open_address_from_desktop(std::string_view address) {
  if (const HRESULT hr = open_from_desktop(to_wide(address)); FAILED(hr)) {
    trace_failure("Opening " + std::string(address) + " through the desktop's shell", hr);
  }
}

void Win32MenuHost::show_information(std::string_view caption, std::string_view text) {
  const std::wstring wide_caption = to_wide(caption);
  const std::wstring wide_text = to_wide(text);
  MessageBoxW(window_.get(), wide_text.c_str(), wide_caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

void Win32MenuHost::relaunch_elevated() {
  if (const std::optional<std::wstring> program = own_executable_path()) {
    (void)app::relaunch_elevated(window_.get(), *program);
  } else {
    trace_failure("GetModuleFileNameW", HRESULT_FROM_WIN32(GetLastError()));
  }
}

}  // namespace kestro::app

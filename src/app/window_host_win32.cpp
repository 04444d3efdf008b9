#include "app/window_host_win32.h"

#include <algorithm>

#include <shellapi.h>

#include "app/clipboard_win32.h"
#include "app/messages_win32.h"
#include "app/popup_menu_win32.h"
#include "app/relaunch_win32.h"
#include "base/utf16_win32.h"
#include "probe/probe_thread_win32.h"

namespace kestro::app {

void Win32WindowHost::set_gfx(std::unique_ptr<gfx::Gfx> device) {
  canvas_.reset();  // it refers to the old device
  gfx_ = std::move(device);
  if (gfx_) canvas_.emplace(*gfx_);
}

void Win32WindowHost::invalidate() { InvalidateRect(hwnd_, nullptr, FALSE); }

void Win32WindowHost::set_timer(std::uint32_t id, std::uint32_t period_ms) {
  SetTimer(hwnd_, id, period_ms, nullptr);
}

void Win32WindowHost::kill_timer(std::uint32_t id) { KillTimer(hwnd_, id); }

ClientSize Win32WindowHost::client_size() {
  RECT rc{};
  if (!GetClientRect(hwnd_, &rc)) return ClientSize{};
  return ClientSize{std::max<LONG>(rc.right - rc.left, 0), std::max<LONG>(rc.bottom - rc.top, 0)};
}

std::chrono::steady_clock::time_point Win32WindowHost::now() {
  return std::chrono::steady_clock::now();
}

void Win32WindowHost::track_mouse_leave() {
  TRACKMOUSEEVENT request{};
  request.cbSize = sizeof(request);
  request.dwFlags = TME_LEAVE;
  request.hwndTrack = hwnd_;
  request.dwHoverTime = 0;
  (void)TrackMouseEvent(&request);
}

bool Win32WindowHost::set_clipboard_text(std::string_view text) {
  return app::set_clipboard_text(hwnd_, text);
}

bool Win32WindowHost::start_probe_worker() {
  return probe::start_probe_thread(hwnd_, WM_APP_PROBE_DONE);
}

void Win32WindowHost::capture_mouse() { SetCapture(hwnd_); }

void Win32WindowHost::release_mouse() {
  if (GetCapture() == hwnd_) ReleaseCapture();
}

std::uint32_t Win32WindowHost::track_menu(const std::vector<MenuItem>& menu, int x, int y) {
  return track_popup_menu(hwnd_, menu, x, y);
}

void Win32WindowHost::open_address(std::string_view address) {
  // No owner window: the browser is a program of its own. The result is not examined.
  const std::wstring wide = to_wide(address);
  ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32WindowHost::show_information(std::string_view caption, std::string_view text) {
  const std::wstring wide_caption = to_wide(caption);
  const std::wstring wide_text = to_wide(text);
  MessageBoxW(hwnd_, wide_text.c_str(), wide_caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

void Win32WindowHost::relaunch_elevated() {
  if (const std::optional<std::wstring> program = own_executable_path()) {
    (void)app::relaunch_elevated(hwnd_, *program);
  }
}

gfx::TextMeasurer* Win32WindowHost::measurer() { return canvas(); }

}  // namespace kestro::app

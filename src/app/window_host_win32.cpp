#include "app/window_host_win32.h"

#include <algorithm>

#include "app/clipboard_win32.h"
#include "app/messages_win32.h"
#include "app/updater/platform_win32.h"
#include "app/updater/texts.h"
#include "app/updater/threads_win32.h"
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

// The context menu and the elevated relaunch arrive in a later step; until then these two are
// intentionally inert, so the toolbar's Menu and "View as administrator" clicks do nothing.
void Win32WindowHost::show_context_menu(int, int) {}
void Win32WindowHost::relaunch_elevated() {}

gfx::TextMeasurer* Win32WindowHost::measurer() { return canvas(); }

bool Win32WindowHost::start_update_check_worker(bool manual) {
  return updater::start_update_check_thread(hwnd_, WM_APP_UPDATE_RESULT, manual);
}

bool Win32WindowHost::start_download_worker(updater::UpdateInfo info) {
  return updater::start_download_thread(hwnd_, WM_APP_DOWNLOAD_DONE, std::move(info));
}

bool Win32WindowHost::ask_update(std::string_view text) {
  return MessageBoxW(hwnd_, to_wide(text).c_str(), to_wide(updater::kPromptCaption).c_str(),
                     MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

bool Win32WindowHost::start_installer(std::string_view path, std::string_view command_line) {
  return updater::start_installer(path, command_line);
}

void Win32WindowHost::destroy_window() { (void)DestroyWindow(hwnd_); }

}  // namespace kestro::app

#include "app/window/window_host_win32.h"

#include <algorithm>

#include "app/window/clipboard_win32.h"
#include "app/window/messages_win32.h"
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

gfx::TextMeasurer* Win32WindowHost::measurer() { return canvas(); }

}  // namespace kestro::app

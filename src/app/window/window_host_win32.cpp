#include "app/window/window_host_win32.h"

#include <algorithm>

#include "app/window/clipboard_win32.h"
#include "app/window/messages_win32.h"
#include "base/trace_win32.h"
#include "probe/probe_thread_win32.h"

namespace kestro::app {

void Win32WindowHost::set_text(std::unique_ptr<gfx::TextResources> text) {
  canvas_.reset();  // they refer to the old formats
  measurer_.reset();
  text_ = std::move(text);
  if (text_) measurer_.emplace(*text_);
  make_canvas();
}

void Win32WindowHost::set_gfx(std::unique_ptr<gfx::Gfx> device) {
  canvas_.reset();  // it refers to the old device
  gfx_ = std::move(device);
  make_canvas();
}

void Win32WindowHost::make_canvas() {
  canvas_.reset();
  if (gfx_ && text_) canvas_.emplace(*gfx_, *text_);
}

void Win32WindowHost::invalidate() { InvalidateRect(hwnd(), nullptr, FALSE); }

void Win32WindowHost::set_timer(std::uint32_t id, std::uint32_t period_ms) {
  SetTimer(hwnd(), id, period_ms, nullptr);
}

void Win32WindowHost::kill_timer(std::uint32_t id) { KillTimer(hwnd(), id); }

ClientSize Win32WindowHost::client_size() {
  RECT rc{};
  if (!GetClientRect(hwnd(), &rc)) return ClientSize{};
  return ClientSize{std::max<LONG>(rc.right - rc.left, 0), std::max<LONG>(rc.bottom - rc.top, 0)};
}

std::chrono::steady_clock::time_point Win32WindowHost::now() {
  return std::chrono::steady_clock::now();
}

void Win32WindowHost::track_mouse_leave() {
  TRACKMOUSEEVENT request{};
  request.cbSize = sizeof(request);
  request.dwFlags = TME_LEAVE;
  request.hwndTrack = hwnd();
  request.dwHoverTime = 0;
  (void)TrackMouseEvent(&request);
}

bool Win32WindowHost::set_clipboard_text(std::string_view text) {
  return app::set_clipboard_text(hwnd(), text);
}

bool Win32WindowHost::start_probe_worker() {
  if (probe::start_probe_thread(probes_, PostTo{hwnd(), WM_APP_PROBE_DONE})) return true;
  trace_failure("Starting the probe thread", E_OUTOFMEMORY);
  return false;
}

void Win32WindowHost::capture_mouse() { SetCapture(hwnd()); }

void Win32WindowHost::release_mouse() {
  if (GetCapture() == hwnd()) ReleaseCapture();
}

gfx::TextMeasurer* Win32WindowHost::measurer() {
  return measurer_ ? &*measurer_ : nullptr;
}

void Win32WindowHost::replace_lost_device() {
  drop_gfx();
  set_gfx(gfx::create_gfx(hwnd()));
  device_lost_ = !gfx_;
  if (gfx_) invalidate();  // the next paint draws with it
}

gfx::Canvas* Win32WindowHost::begin_frame(gfx::Colour background) {
  if (device_lost_) replace_lost_device();
  // Every paint without a part would say so again: the site keeps it to one line.
  static FailureSite missing;
  if (!canvas_) {
    const std::uint32_t parts = (gfx_ ? 0 : 1) | (text_ ? 0 : 2);
    if (missing.first(parts)) {
      trace_failure("Painting", gfx_ ? "no text formats" : text_ ? "no drawing device"
                                                                 : "no drawing device and no text formats");
    }
    return nullptr;
  }
  missing.succeeded();
  if (!gfx::begin_frame(*gfx_, background)) return nullptr;
  return &*canvas_;
}

void Win32WindowHost::end_frame() {
  if (gfx_ && gfx::end_frame(*gfx_) == gfx::FrameOutcome::DeviceLost) replace_lost_device();
}

}  // namespace kestro::app

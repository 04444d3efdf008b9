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
}

void Win32WindowHost::set_gfx(std::unique_ptr<gfx::Gfx> device) {
  canvas_.reset();  // it refers to the old device
  device_.drop();
  device_.set(std::move(device));
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

std::unique_ptr<gfx::Gfx> Win32WindowHost::make_device() {
  canvas_.reset();  // it refers to the old device
  return gfx::create_gfx(hwnd());
}

void Win32WindowHost::validate() { ValidateRect(hwnd(), nullptr); }

void Win32WindowHost::resize_buffers() {
  const ClientSize client = client_size();
  device_.resize(*this, client.width, client.height);
}

gfx::Canvas* Win32WindowHost::begin_frame(gfx::Colour background) {
  canvas_.reset();
  // Every paint without a part would say so again: the site keeps it to one line.
  static FailureSite missing;
  const bool began = text_ && device_.begin(*this, background);
  if (!text_ || !device_.device()) {
    const std::uint32_t parts = (device_.device() ? 0 : 1) | (text_ ? 0 : 2);
    if (missing.first(parts)) {
      trace_failure("Painting", device_.device() ? "no text formats"
                                : text_            ? "no drawing device"
                                                   : "no drawing device and no text formats");
    }
    return nullptr;
  }
  missing.succeeded();
  if (!began) return nullptr;
  canvas_.emplace(*device_.device(), *text_);
  return &*canvas_;
}

void Win32WindowHost::end_frame() {
  canvas_.reset();
  device_.end(*this);
}

}  // namespace kestro::app

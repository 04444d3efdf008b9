#pragma once
// The real window behind the portable window core: timers, invalidation, client size, the
// clipboard, the probe thread and the drawing device of one HWND.

#include <windows.h>

#include <memory>
#include <optional>

#include "app/window/window_host.h"
#include "gfx/gfx_win32.h"

namespace kestro::app {

class Win32WindowHost final : public WindowHost {
 public:
  explicit Win32WindowHost(HWND hwnd) : hwnd_(hwnd) {}

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
  gfx::TextMeasurer* measurer() override;

 private:
  HWND hwnd_;
  std::unique_ptr<gfx::Gfx> gfx_;
  std::optional<gfx::D2dCanvas> canvas_;  // over *gfx_, present exactly when gfx_ is
};

}  // namespace kestro::app

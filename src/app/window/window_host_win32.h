#pragma once
// The real window behind the portable window core: timers, invalidation, client size, the
// clipboard, the probe thread, and the text formats and drawing device of one HWND.

#include <windows.h>

#include <memory>
#include <optional>

#include "app/window/window_host.h"
#include "base/window_handle_win32.h"
#include "base/worker.h"
#include "gfx/gfx_win32.h"
#include "gfx/text_win32.h"
#include "probe/probe_slot.h"

namespace kestro::app {

class Win32WindowHost final : public WindowHost, private gfx::DeviceSource<gfx::Gfx> {
 public:
  // Probe runs hand their outcome to `probes`, which each run shares for its life.
  Win32WindowHost(const WindowHandle& window, SharedSlot<probe::ProbeOutcome> probes)
      : window_(window), probes_(std::move(probes)) {}

  HWND hwnd() const { return window_.get(); }

  // The text formats, made once for the window and rebuilt when its DPI changes; null when
  // they could not be made (then nothing measures or draws text).
  gfx::TextResources* text() { return text_.get(); }
  void set_text(std::unique_ptr<gfx::TextResources> text);

  // The drawing device; null when it could not be created (the next frame tries again). A lost
  // one is replaced by whichever call finds the loss.
  gfx::Gfx* gfx() { return device_.device(); }
  void set_gfx(std::unique_ptr<gfx::Gfx> device);
  void drop_gfx() { device_.drop(); }

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
  void validate() override;
  void resize_buffers() override;
  // A missing device is made first; a missing part is traced once until both are there.
  gfx::Canvas* begin_frame(gfx::Colour background) override;
  void end_frame() override;

 private:
  std::unique_ptr<gfx::Gfx> make_device() override;
  void repaint() override { invalidate(); }

  const WindowHandle& window_;
  SharedSlot<probe::ProbeOutcome> probes_;
  std::unique_ptr<gfx::TextResources> text_;
  std::optional<gfx::TextOnlyMeasurer> measurer_;  // over *text_, present exactly when text_ is
  gfx::DeviceKeeper<gfx::Gfx> device_;
  std::optional<gfx::D2dCanvas> canvas_;  // over the device and *text_ during a frame
};

}  // namespace kestro::app

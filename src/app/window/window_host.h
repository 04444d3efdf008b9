#pragma once
// What the portable window core asks of the real window. The Windows host implements it with
// the window handle, window timers, the clipboard and the drawing device; tests use a fake.

#include <chrono>
#include <cstdint>
#include <string_view>

#include "app/view/layout.h"
#include "gfx/canvas.h"

namespace kestro::app {

inline constexpr std::uint32_t kTimerToast = 1;
inline constexpr std::uint32_t kTimerToastPeriodMs = 2500;
inline constexpr std::uint32_t kTimerLoading = 2;
inline constexpr std::uint32_t kTimerLoadingPeriodMs = 120;

class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // Repaint the whole window later (InvalidateRect(hwnd, NULL, FALSE)).
  virtual void invalidate() = 0;
  // Start or restart a window timer; errors are ignored.
  virtual void set_timer(std::uint32_t id, std::uint32_t period_ms) = 0;
  virtual void kill_timer(std::uint32_t id) = 0;
  // Current client size, each side at least 0 (a failed query gives 0 × 0).
  virtual ClientSize client_size() = 0;
  // Monotonic clock.
  virtual std::chrono::steady_clock::time_point now() = 0;
  // Requests one leave notification (TrackMouseEvent with TME_LEAVE); errors are ignored.
  virtual void track_mouse_leave() = 0;
  // Puts `text` (lines ending in LF) on the clipboard as Unicode text with CR LF line ends.
  // True on success.
  virtual bool set_clipboard_text(std::string_view text) = 0;
  // Starts the detached probe thread that fills the probe slot and posts WM_APP_PROBE_DONE.
  // False when no thread could be started.
  virtual bool start_probe_worker() = 0;
  // Keeps the mouse's button release coming to the window while a press is held, wherever the
  // pointer goes; the release gives it back.
  virtual void capture_mouse() = 0;
  virtual void release_mouse() = 0;
  // Text measuring of the window's text formats, which need no drawing device; null when
  // there are none (then no toolbar exists).
  virtual gfx::TextMeasurer* measurer() = 0;
  // Marks the whole window as painted (ValidateRect). A paint does this before it draws, so a
  // repaint asked for while drawing (after a lost device was replaced) stands.
  virtual void validate() = 0;
  // Gives the drawing buffers the client size; a lost device found here is replaced.
  virtual void resize_buffers() = 0;
  // Begins a frame cleared with `background` and gives the canvas to paint it on; null when
  // nothing can be drawn now (the drawing device or the text formats are missing): the frame
  // is then left out and end_frame is not called.
  virtual gfx::Canvas* begin_frame(gfx::Colour background) = 0;
  // Shows the frame begin_frame began. A device lost in begin_frame or here is replaced and a
  // repaint asked for.
  virtual void end_frame() = 0;
};

}  // namespace kestro::app

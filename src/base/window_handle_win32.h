#pragma once
// The main window's handle for the parts of the window that exist before it: the window object
// is made first and hands itself to CreateWindowExW, and its parts read the handle here once
// the window procedure has set it (at WM_NCCREATE, the window's first real message).

#include <windows.h>

#include "base/trace_win32.h"

namespace kestro {

class WindowHandle {
 public:
  HWND get() const { return hwnd_; }
  void attach(HWND hwnd) { hwnd_ = hwnd; }

 private:
  HWND hwnd_ = nullptr;
};

// Tells a window that a worker's outcome is ready: `message` posted without data. A thread's
// queue holds a limited number of posted messages; when it is full the notification goes the
// way of sent messages, which that limit does not bound. When neither reaches the window (it is
// gone), the outcome stays in its slot, where the window still finds it (hand_over_slot.h).
struct PostTo {
  HWND window;
  UINT message;
  void operator()() const {
    if (PostMessageW(window, message, 0, 0) || SendNotifyMessageW(window, message, 0, 0)) return;
    trace_failure("Telling the window a result is ready", HRESULT_FROM_WIN32(GetLastError()));
  }
};

}  // namespace kestro

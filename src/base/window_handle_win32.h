#pragma once
// The main window's handle for the parts of the window that exist before it: the window object
// is made first and hands itself to CreateWindowExW, and its parts read the handle here once
// the window procedure has set it (at WM_NCCREATE, the window's first real message).

#include <windows.h>

namespace kestro {

class WindowHandle {
 public:
  WindowHandle() = default;
  explicit WindowHandle(HWND hwnd) : hwnd_(hwnd) {}

  HWND get() const { return hwnd_; }
  void attach(HWND hwnd) { hwnd_ = hwnd; }

 private:
  HWND hwnd_ = nullptr;
};

// Tells a window that a worker's outcome is ready: `message` posted without data. A failed post
// is not retried: the window is gone or its queue is full.
struct PostTo {
  HWND window;
  UINT message;
  void operator()() const { (void)PostMessageW(window, message, 0, 0); }
};

}  // namespace kestro

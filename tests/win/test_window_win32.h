#pragma once
// A plain top-level test window, destroyed with the object. It counts the WM_CLOSE messages
// all such windows got, so a test can tell that nothing went through the close handling.

#include <windows.h>

namespace kestro::test {

class TestWindow {
 public:
  static inline int closes = 0;

  TestWindow(int width, int height, bool visible) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"Kestro.TestWindow";
    RegisterClassW(&window_class);  // already registered by an earlier test: fine
    hwnd_ = CreateWindowExW(0, L"Kestro.TestWindow", L"test", WS_OVERLAPPEDWINDOW, 0, 0, width,
                            height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ != nullptr && visible) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  }
  ~TestWindow() {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND get() const { return hwnd_; }

 private:
  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE) ++closes;
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }

  HWND hwnd_ = nullptr;
};

}  // namespace kestro::test

#pragma once
// A plain top-level test window (default procedure), destroyed with the object.

#include <windows.h>

namespace kestro::test {

class TestWindow {
 public:
  TestWindow(int width, int height, bool visible) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"Kestro.TestWindow";
    RegisterClassW(&window_class);  // already registered by an earlier test: fine
    hwnd_ = CreateWindowExW(0, L"Kestro.TestWindow", L"test", WS_OVERLAPPEDWINDOW, 0, 0, width,
                            height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ != nullptr && visible) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  }
  ~TestWindow() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace kestro::test

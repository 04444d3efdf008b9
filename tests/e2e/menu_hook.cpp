// A hook library for the end-to-end tests: loaded into Kestro's process by window_poke, it
// writes the open pop-up menu (which another process cannot read under Wine) to a file.
// The request is a registered message sent to the menu window; the answer goes to
// %TEMP%\kestro-menu.txt as UTF-8, in the form of win/menu_text_win32.h.

#include <windows.h>

#include <string>

#include "win/menu_text_win32.h"

namespace {

void write_description(HWND menu_window) {
  const auto menu = reinterpret_cast<HMENU>(SendMessageW(menu_window, MN_GETHMENU, 0, 0));
  std::wstring text;
  if (menu != nullptr) kestro::test::describe_menu(menu, text);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  wchar_t path[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, path);
  const std::wstring file = std::wstring(path) + L"kestro-menu.txt";
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(handle);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK kestro_menu_hook(int code, WPARAM wparam,
                                                                   LPARAM lparam) {
  static const UINT request = RegisterWindowMessageW(L"KestroTestDescribeMenu");
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (call->message == request) write_description(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

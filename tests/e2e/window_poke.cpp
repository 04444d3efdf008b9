// A small helper for the window end-to-end test: acts on the running Kestro window from the
// Windows side, where X tools cannot reach.
//
//   window_poke settingchange      broadcast WM_SETTINGCHANGE "ImmersiveColorSet"
//   window_poke close              post WM_CLOSE to the window
//   window_poke maximize           ShowWindow SW_MAXIMIZE
//   window_poke minimize           ShowWindow SW_MINIMIZE (a zero-sized client area)
//   window_poke restore            ShowWindow SW_RESTORE
//   window_poke move X Y W H       SetWindowPos to that rectangle
//   window_poke clipboard          the clipboard's Unicode text as UTF-8 on standard output,
//                                  byte for byte (CR LF kept)
// Exit code 0 on success, 1 when the window or the clipboard text is missing, 2 for usage.

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

HWND find_kestro() { return FindWindowW(L"Kestro.Main", L"Kestro"); }

int print_clipboard() {
  if (!OpenClipboard(nullptr)) return 1;
  std::wstring text;
  bool found = false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = units;
      found = true;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  if (!found) return 1;
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()),
            &written, nullptr);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring command = argv[1];
  if (command == L"clipboard") return print_clipboard();
  if (command == L"settingchange") {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>(L"ImmersiveColorSet"), SMTO_ABORTIFHUNG, 5000,
                        &result);
    return 0;
  }
  HWND window = find_kestro();
  if (window == nullptr) return 1;
  if (command == L"close") return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
  if (command == L"maximize") {
    ShowWindow(window, SW_MAXIMIZE);
    return 0;
  }
  if (command == L"minimize") {
    ShowWindow(window, SW_MINIMIZE);
    return 0;
  }
  if (command == L"restore") {
    ShowWindow(window, SW_RESTORE);
    return 0;
  }
  if (command == L"move" && argc == 6) {
    const int x = _wtoi(argv[2]), y = _wtoi(argv[3]), w = _wtoi(argv[4]), h = _wtoi(argv[5]);
    return SetWindowPos(window, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE) ? 0 : 1;
  }
  return 2;
}

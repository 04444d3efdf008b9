// A helper for the updater's end-to-end test: looks at and acts on the running Kestro window
// and its message box from the Windows side.
//
//   update_poke dialog          the caption, a line feed, then the text of the message box the
//                               Kestro window owns (UTF-8); exit 1 when there is none
//   update_poke ping            sends WM_NULL to the Kestro window and prints how many
//                               milliseconds it took to be answered; exit 1 on no answer in 5 s
//   update_poke close           posts WM_CLOSE to the window
//   update_poke move X Y W H    SetWindowPos to that rectangle
// Exit code 2 for usage, 1 when the window is missing.

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

HWND find_kestro() { return FindWindowW(L"Kestro.Main", L"Kestro"); }

struct DialogSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK find_dialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (std::wcscmp(name, L"#32770") == 0 && GetWindow(window, GW_OWNER) == search->owner &&
      IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

void print(const std::wstring& text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written,
            nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring command = argv[1];
  HWND window = find_kestro();
  if (window == nullptr) return 1;
  if (command == L"dialog") {
    DialogSearch search{window, nullptr};
    EnumWindows(find_dialog, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) return 1;
    wchar_t caption[256] = {};
    GetWindowTextW(search.found, caption, 256);
    wchar_t text[4096] = {};
    GetDlgItemTextW(search.found, 0xFFFF, text, 4096);
    print(std::wstring(caption) + L"\n" + text);
    return 0;
  }
  if (command == L"ping") {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result)) return 1;
    QueryPerformanceCounter(&end);
    const long long ms = (end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart;
    print(std::to_wstring(ms) + L"\n");
    return 0;
  }
  if (command == L"close") return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
  if (command == L"move" && argc == 6) {
    const int x = _wtoi(argv[2]), y = _wtoi(argv[3]), w = _wtoi(argv[4]), h = _wtoi(argv[5]);
    return SetWindowPos(window, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE) ? 0 : 1;
  }
  return 2;
}

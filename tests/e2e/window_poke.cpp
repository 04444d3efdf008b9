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
//   window_poke menu               the open pop-up menu of Kestro, as menu_hook.dll (next to
//                                  this program) writes it from inside Kestro's process
//   window_poke dialog             the caption, a line feed, then the text of the message box
//                                  the Kestro window owns (UTF-8)
//   window_poke dialog-ok          presses OK in that message box (dialog-yes, dialog-no: Yes, No)
//   window_poke client             the client area's screen origin and size: "X Y WIDTH HEIGHT"
//   window_poke ping               sends WM_NULL to the window and prints how many milliseconds
//                                  the answer took; exit 1 on no answer within 5 s
//   window_poke point WHAT [N]     "X Y" in the client area, from Kestro's own layout for the
//                                  window's size and DPI, of WHAT: toolbar (a part that takes no
//                                  click), menu, copy-all, row N (the first card's N-th, from 0)
// Exit code 0 on success, 1 when the window or the clipboard text is missing, 2 for usage.

#include <windows.h>

#include <cwchar>
#include <string>

#include "app/view/layout.h"
#include "app/view/scale.h"

namespace {

HWND find_kestro() { return FindWindowW(L"Kestro.Main", L"Kestro"); }

void write_stdout(const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

void write_stdout(const std::wstring& text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  write_stdout(utf8);
}

// The visible message box ("#32770") that `owner` owns, or null.
HWND owned_dialog(HWND owner) {
  struct Search {
    HWND owner;
    HWND found;
  } search{owner, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (std::wcscmp(name, L"#32770") == 0 && GetWindow(window, GW_OWNER) == s->owner &&
            IsWindowVisible(window)) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int print_dialog(HWND owner) {
  const HWND dialog = owned_dialog(owner);
  if (dialog == nullptr) return 1;
  wchar_t caption[256] = {};
  GetWindowTextW(dialog, caption, 256);
  wchar_t text[4096] = {};
  GetDlgItemTextW(dialog, 0xFFFF, text, 4096);
  write_stdout(std::wstring(caption) + L"\n" + text);
  return 0;
}

// A click through the box's own messages, not a key through X: a key reaches whichever window
// has the focus when it arrives, and its release finds no window once the box has closed.
int press_dialog_button(HWND owner, int id) {
  const HWND dialog = owned_dialog(owner);
  const HWND button = dialog != nullptr ? GetDlgItem(dialog, id) : nullptr;
  if (button == nullptr) return 1;
  SendMessageW(button, BM_CLICK, 0, 0);
  return 0;
}

int print_answer_time(HWND window) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result)) return 1;
  QueryPerformanceCounter(&end);
  write_stdout(std::to_string((end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart) + "\n");
  return 0;
}

int print_client_area(HWND window) {
  RECT client{};
  POINT origin{0, 0};
  if (!GetClientRect(window, &client) || !ClientToScreen(window, &origin)) return 1;
  write_stdout(std::to_string(origin.x) + " " + std::to_string(origin.y) + " " +
               std::to_string(client.right) + " " + std::to_string(client.bottom) + "\n");
  return 0;
}

// Measures no text: a text button keeps only its padding, at its right end, which lies inside
// the real button whatever its caption measures there.
struct NoTextWidths final : kestro::gfx::TextMeasurer {
  using Metrics = std::optional<kestro::gfx::TextMetrics>;
  Metrics measure(std::string_view, kestro::gfx::TextStyle) override { return {}; }
};

int print_point(HWND window, const std::wstring& what, int row) {
  using namespace kestro;
  RECT client{};
  if (!GetClientRect(window, &client) || row < 0) return 1;
  const app::ClientSize size{client.right, client.bottom};
  const float scale = app::scale_of_dpi(GetDpiForWindow(window));
  // Kestro's first card is the summary; its rows lie where they are whatever follows them.
  const Section first{"", std::vector<Row>(static_cast<std::size_t>(row) + 1), SectionKind::Summary};
  const Report report{"", "", {first}, false};
  NoTextWidths measurer;
  const auto buttons = app::layout_toolbar(size, scale, &report, &measurer);
  const app::LayoutMetrics m = app::layout_metrics(size, scale);
  std::optional<gfx::RectF> box;
  if (what == L"toolbar") box = gfx::RectF{m.content_left, 0, 0, m.toolbar};
  if (what == L"menu") box = app::button_rect(buttons, app::HitKind::Menu);
  if (what == L"copy-all") box = app::button_rect(buttons, app::HitKind::CopyAll);
  if (what == L"row") box = app::layout_cards(size, scale, &report).cards[0].rows.back();
  if (!box) return 2;
  write_stdout(std::to_string(static_cast<int>(box->x + box->width / 2)) + " " +
               std::to_string(static_cast<int>(box->y + box->height / 2)) + "\n");
  return 0;
}

// Another process cannot read a menu here, so the hook library reads it inside Kestro: the
// hook is set on the menu's thread, the request message makes Kestro's process load and run
// it, and the answer comes back through a file.
int print_open_menu() {
  const HWND menu = FindWindowW(L"#32768", nullptr);
  if (menu == nullptr || !IsWindowVisible(menu)) return 1;
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring library = path;
  library = library.substr(0, library.find_last_of(L"\\/") + 1) + L"menu_hook.dll";
  const HMODULE module = LoadLibraryW(library.c_str());
  if (module == nullptr) return 1;
  const auto hook_procedure = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void*>(GetProcAddress(module, "kestro_menu_hook")));
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring answer = std::wstring(temp) + L"kestro-menu.txt";
  DeleteFileW(answer.c_str());
  const HHOOK hook = hook_procedure == nullptr
                         ? nullptr
                         : SetWindowsHookExW(WH_CALLWNDPROC, hook_procedure, module,
                                             GetWindowThreadProcessId(menu, nullptr));
  if (hook == nullptr) return 1;
  DWORD_PTR result = 0;
  SendMessageTimeoutW(menu, RegisterWindowMessageW(L"KestroTestDescribeMenu"), 0, 0,
                      SMTO_ABORTIFHUNG, 5000, &result);
  UnhookWindowsHookEx(hook);
  const HANDLE file = CreateFileW(answer.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  std::string bytes(65536, '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  write_stdout(bytes);
  return 0;
}

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
  write_stdout(text);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring command = argv[1];
  if (command == L"clipboard") return print_clipboard();
  if (command == L"menu") return print_open_menu();
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
  if (command == L"pid") {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    write_stdout(std::to_wstring(process) + L"\n");
    return 0;
  }
  if (command == L"dialog") return print_dialog(window);
  if (command == L"dialog-ok") return press_dialog_button(window, IDOK);
  if (command == L"dialog-yes") return press_dialog_button(window, IDYES);
  if (command == L"dialog-no") return press_dialog_button(window, IDNO);
  if (command == L"ping") return print_answer_time(window);
  if (command == L"client") return print_client_area(window);
  if (command == L"point" && argc >= 3) return print_point(window, argv[2], argc > 3 ? _wtoi(argv[3]) : 0);
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

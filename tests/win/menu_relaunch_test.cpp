// The pop-up menu made from the menu model, read back from inside this process while it is
// open, and the elevated relaunch against Wine's shell (where "runas" starts the program at once).

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/menu/context_menu.h"
#include "app/menu/popup_menu_win32.h"
#include "app/menu/relaunch_win32.h"
#include "base/utf16_win32.h"
#include "i18n/translate.h"

namespace kestro::app {
namespace {

// A plain top-level window that counts WM_CLOSE, so a test can tell that nothing saved the
// placement on the way out.
struct TestWindow {
  static inline int closes = 0;
  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE) ++closes;
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  TestWindow() {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"KestroMenuTest";
    RegisterClassW(&window_class);
    hwnd = CreateWindowExW(0, L"KestroMenuTest", L"menu test", WS_OVERLAPPEDWINDOW, 100, 100, 400,
                           300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~TestWindow() {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  HWND hwnd = nullptr;
};

// "id:checked:text" per item of a menu, submenus in brackets.
std::string describe(HMENU menu) {
  std::string out;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 127;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    if (info.fType & MFT_SEPARATOR) {
      out += "-|";
      continue;
    }
    // A submenu's entry has no command id (Windows reports its handle there).
    const UINT id = info.hSubMenu != nullptr ? 0 : info.wID;
    out += std::to_string(id) + ((info.fState & MFS_CHECKED) ? ":x:" : ":_:") +
           from_wide(text);
    if (info.hSubMenu) out += "[" + describe(info.hSubMenu) + "]";
    out += "|";
  }
  return out;
}

std::string g_seen;

void CALLBACK read_open_menu(HWND owner, UINT, UINT_PTR id, DWORD) {
  KillTimer(owner, id);
  const HWND popup = FindWindowW(L"#32768", nullptr);
  if (popup == nullptr) return;
  const auto menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
  if (menu != nullptr) g_seen = describe(menu);
  EndMenu();
}

TEST(PopupMenu, ShowsTheModelAndReturnsNothingWhenDismissed) {
  const ScopedLanguageOverride english("en");
  TestWindow window;
  ASSERT_NE(window.hwnd, nullptr);
  ShowWindow(window.hwnd, SW_SHOWNORMAL);
  g_seen.clear();
  // The menu's own loop dispatches the timer: the menu is read while it is open.
  SetTimer(window.hwnd, 7, 300, read_open_menu);
  const std::uint32_t chosen =
      track_popup_menu(window.hwnd, build_context_menu(std::string("de"), 0u), 10, 10);
  EXPECT_EQ(chosen, kCommandDismissed);
  EXPECT_EQ(g_seen,
            "0:_:Language[100:_:Follow Windows|-|101:_:English|102:_:한국어|103:_:日本語|"
            "104:_:简体中文|105:_:繁體中文|106:_:Español|107:_:Français|108:x:Deutsch|"
            "109:_:Português|110:_:Русский|]|1:_:Automatic updates|2:_:Check for updates|"
            "3:_:More apps from Lumwerk|4:_:About Kestro|");
}

TEST(Relaunch, OwnPathIsThisProgram) {
  const std::optional<std::wstring> path = own_executable_path();
  ASSERT_TRUE(path.has_value());
  EXPECT_EQ(path->substr(path->size() - 20), L"kestro_win_tests.exe");
  EXPECT_NE(GetFileAttributesW(path->c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Relaunch, StartedCopyClosesTheWindowWithoutCloseHandling) {
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::wstring quick_program = std::wstring(system) + L"\\hostname.exe";

  TestWindow failing;
  TestWindow::closes = 0;
  EXPECT_FALSE(relaunch_elevated(failing.hwnd, L"C:\\no such folder\\Kestro.exe"));
  EXPECT_TRUE(IsWindow(failing.hwnd));  // declined or failed: everything stays

  TestWindow started;
  EXPECT_TRUE(relaunch_elevated(started.hwnd, quick_program));
  EXPECT_FALSE(IsWindow(started.hwnd));
  EXPECT_EQ(TestWindow::closes, 0);  // destroyed directly: no placement is saved
}

}  // namespace
}  // namespace kestro::app

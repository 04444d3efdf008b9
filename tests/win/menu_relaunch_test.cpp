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
#include "win/menu_text_win32.h"
#include "win/test_window_win32.h"

namespace kestro::app {
namespace {

std::wstring g_seen;
int g_looks = 0;

// Runs inside the menu's own loop every 100 ms: reads the open menu and closes it. A menu that
// does not show within 5 s is closed all the same, so the test fails instead of hanging.
void CALLBACK read_open_menu(HWND owner, UINT, UINT_PTR id, DWORD) {
  const HWND popup = FindWindowW(L"#32768", nullptr);
  if (popup == nullptr && ++g_looks < 50) return;
  KillTimer(owner, id);
  const auto menu =
      popup != nullptr ? reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)) : nullptr;
  if (menu != nullptr) test::describe_menu(menu, g_seen);
  EndMenu();
}

TEST(PopupMenu, ShowsTheModelAndReturnsNothingWhenDismissed) {
  const ScopedLanguageOverride english("en");
  test::TestWindow window(400, 300, true);
  ASSERT_NE(window.get(), nullptr);
  g_seen.clear();
  g_looks = 0;
  // The menu's own loop dispatches the timer: the menu is read while it is open.
  SetTimer(window.get(), 7, 100, read_open_menu);
  const std::uint32_t chosen =
      track_popup_menu(window.get(), build_context_menu(std::string("de"), 0u), 10, 10);
  EXPECT_EQ(chosen, kCommandDismissed);
  EXPECT_EQ(from_wide(g_seen),
            "0\t0\tLanguage\n\t100\t0\tFollow Windows\n\t-\n\t101\t0\tEnglish\n\t102\t0\t한국어\n"
            "\t103\t0\t日本語\n\t104\t0\t简体中文\n\t105\t0\t繁體中文\n\t106\t0\tEspañol\n"
            "\t107\t0\tFrançais\n\t108\t1\tDeutsch\n\t109\t0\tPortuguês\n\t110\t0\tРусский\n"
            "1\t0\tAutomatic updates\n2\t0\tCheck for updates\n3\t0\tMore apps from Lumwerk\n"
            "4\t0\tAbout Kestro\n");
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

  test::TestWindow failing(400, 300, false);
  test::TestWindow::closes = 0;
  EXPECT_FALSE(relaunch_elevated(failing.get(), L"C:\\no such folder\\Kestro.exe"));
  EXPECT_TRUE(IsWindow(failing.get()));  // declined or failed: everything stays

  test::TestWindow started(400, 300, false);
  EXPECT_TRUE(relaunch_elevated(started.get(), quick_program));
  EXPECT_FALSE(IsWindow(started.get()));
  EXPECT_EQ(test::TestWindow::closes, 0);  // destroyed directly: no placement is saved
}

}  // namespace
}  // namespace kestro::app

// The clipboard write against the real clipboard of the test prefix.

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "app/window/clipboard_win32.h"
#include "win/clipboard_reader.h"
#include "win/test_window_win32.h"

namespace kestro::app {
namespace {

TEST(Clipboard, RoundTripTurnsLineFeedsIntoCrLf) {
  test::TestWindow window(200, 100, false);
  ASSERT_NE(window.get(), nullptr);
  struct Case {
    const char* utf8;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {"Report\n\n[Summary]\nModel: X\n", L"Report\r\n\r\n[Summary]\r\nModel: X\r\n"},
      {"Health: Healthy", L"Health: Healthy"},
      // Em dash, middle dot, multiplication sign and Korean survive the conversion.
      {"\xE2\x80\x94 Kestro 0.1.0 \xC2\xB7 1920 \xC3\x97 1080\n\xED\x95\x9C",
       L"\u2014 Kestro 0.1.0 \u00B7 1920 \u00D7 1080\r\n\uD55C"},
      {"", L""},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(set_clipboard_text(window.get(), c.utf8)) << c.utf8;
    EXPECT_EQ(test::clipboard_unicode(window.get()), c.expected) << c.utf8;
  }
}

TEST(Clipboard, LeavesTheClipboardClosed) {
  test::TestWindow window(200, 100, false);
  ASSERT_TRUE(set_clipboard_text(window.get(), "x"));
  // Another owner can open it right away.
  test::TestWindow other(200, 100, false);
  ASSERT_TRUE(OpenClipboard(other.get()));
  CloseClipboard();
}

TEST(Clipboard, HeldOpenByAnotherThreadFailsAndLeavesItsContent) {
  test::TestWindow window(200, 100, false);
  ASSERT_TRUE(set_clipboard_text(window.get(), "before"));

  HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool holder_opened = false;
  std::thread holder([&] {
    test::TestWindow own(100, 100, false);
    holder_opened = OpenClipboard(own.get()) != FALSE;
    SetEvent(opened);
    WaitForSingleObject(release, 10000);
    if (holder_opened) CloseClipboard();
  });
  WaitForSingleObject(opened, 10000);
  ASSERT_TRUE(holder_opened);

  EXPECT_FALSE(set_clipboard_text(window.get(), "after"));

  SetEvent(release);
  holder.join();
  CloseHandle(opened);
  CloseHandle(release);
  EXPECT_EQ(test::clipboard_unicode(window.get()), L"before");
  // Free again once the other holder has closed it.
  EXPECT_TRUE(set_clipboard_text(window.get(), "after"));
  EXPECT_EQ(test::clipboard_unicode(window.get()), L"after");
}

}  // namespace
}  // namespace kestro::app

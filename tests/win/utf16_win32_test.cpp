// The wchar_t companions of the UTF-8/UTF-16 conversion, built with the target's compiler.

#include <gtest/gtest.h>

#include <string>

#include "base/utf16_win32.h"

namespace kestro {
namespace {

TEST(Utf16Win32, WideRoundTripKeepsKoreanAndEmoji) {
  const std::string text = "\xEC\xBB\xB4\xED\x93\xA8\xED\x84\xB0 \xF0\x9F\x98\x80 x";  // 컴퓨터 😀 x
  const std::wstring wide = to_wide(text);
  EXPECT_EQ(wide, std::wstring(L"\uCEF4\uD4E8\uD130 \xD83D\xDE00 x"));
  EXPECT_EQ(from_wide(wide), text);
}

TEST(Utf16Win32, UpToNulStopsAtFirstNulOrLimit) {
  const wchar_t buffer[] = {L'a', L'b', L'\0', L'c', L'd'};
  EXPECT_EQ(from_wide_up_to_nul(buffer, 5), "ab");
  EXPECT_EQ(from_wide_up_to_nul(buffer + 3, 2), "cd");
  EXPECT_EQ(from_wide_up_to_nul(buffer, 1), "a");
}

TEST(Utf16Win32, UnpairedSurrogatesBecomeReplacementCharacter) {
  const wchar_t lone_high[] = {L'a', static_cast<wchar_t>(0xD800), L'b'};
  EXPECT_EQ(from_wide_up_to_nul(lone_high, 3), "a\xEF\xBF\xBD" "b");
  const wchar_t lone_low[] = {static_cast<wchar_t>(0xDC00)};
  EXPECT_EQ(from_wide_up_to_nul(lone_low, 1), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace kestro

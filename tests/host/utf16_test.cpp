#include "base/utf16.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

TEST(Utf16, RoundTripsAllPlanes) {
  const std::string text = "Kestro \xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4 \xC2\xB7 \xF0\x9F\x98\x80";
  const std::u16string units = to_utf16(text);
  EXPECT_EQ(units, u"Kestro 한국어 · 😀");
  EXPECT_EQ(to_utf8(units), text);
}

TEST(Utf16, UnpairedSurrogatesBecomeReplacementCharacter) {
  struct Case {
    std::u16string input;
    std::string expected;
  };
  const Case cases[] = {
      {{u'a', char16_t(0xD800)}, "a\xEF\xBF\xBD"},
      {{char16_t(0xDC00), u'b'}, "\xEF\xBF\xBD" "b"},
      {{char16_t(0xD800), char16_t(0xD800), char16_t(0xDC00)}, "\xEF\xBF\xBD\xF0\x90\x80\x80"},
      {{char16_t(0xDFFF), char16_t(0xD83D)}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) EXPECT_EQ(to_utf8(c.input), c.expected);
}

TEST(Utf16, InvalidUtf8BecomesReplacementCharacter) {
  EXPECT_EQ(to_utf16("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(to_utf16("\xC3"), u"\uFFFD");                 // truncated sequence
  EXPECT_EQ(to_utf16("\xE0\x80\x80"), u"\uFFFD");         // overlong
  EXPECT_EQ(to_utf16("\xED\xA0\x80"), u"\uFFFD");         // encoded surrogate
}

TEST(Utf16, ReadsUpToFirstNulOrLimit) {
  const char16_t buffer[] = {u'D', u'i', u's', u'p', 0, u'x', u'y'};
  EXPECT_EQ(utf8_up_to_nul(buffer, 7), "Disp");
  EXPECT_EQ(utf8_up_to_nul(buffer, 2), "Di");
  EXPECT_EQ(utf8_up_to_nul(nullptr, 5), "");
}

}  // namespace
}  // namespace kestro

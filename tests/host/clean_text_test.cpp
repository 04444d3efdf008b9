#include "probe/clean_text.h"

#include <gtest/gtest.h>

#include <string>

namespace kestro::probe {
namespace {

using namespace std::string_literals;

TEST(CleanText, ControlsBecomeSpacesFormatCharactersGoLongTextsEnd) {
  const std::string a300(300, 'a');
  std::string wide_256;  // 256 two-byte letters
  for (int i = 0; i < 300; ++i) wide_256 += "\xC3\xA9";
  struct Case {
    const char* what;
    std::string text;
    std::string clean;
  };
  const Case cases[] = {
      {"plain text stays", "Acme Z15 \xE2\x80\x94 \xED\x95\x9C\xEA\xB5\xAD", "Acme Z15 \xE2\x80\x94 \xED\x95\x9C\xEA\xB5\xAD"},
      {"line feed and carriage return", "a\nb\r\nc", "a b  c"},
      {"a forged section", "Acme\n[Windows]\nName: Evil", "Acme [Windows] Name: Evil"},
      {"escape sequence", "\x1B[31mred\x1B[0m", " [31mred [0m"},
      {"NUL inside", "ab\0cd"s, "ab cd"},
      {"tab, DEL and the last C0", "a\tb\x7F" "c\x1F", "a b c "},
      {"C1 controls U+0080, U+0085, U+009F", "a\xC2\x80" "b\xC2\x85" "c\xC2\x9F", "a b c "},
      {"U+00A0 is not a control", "a\xC2\xA0" "b", "a\xC2\xA0" "b"},
      {"right-to-left override and its pop", "\xE2\x80\xAE" "cba\xE2\x80\xAC", "cba"},
      {"every listed format character",
       "\xD8\x9C" "a\xE2\x80\x8B\xE2\x80\x8C\xE2\x80\x8D\xE2\x80\x8E\xE2\x80\x8F" "b"
       "\xE2\x80\xAA\xE2\x80\xAB\xE2\x80\xAC\xE2\x80\xAD\xE2\x80\xAE" "c"
       "\xE2\x81\xA0\xE2\x81\xA4\xE2\x81\xA6\xE2\x81\xA9" "d\xEF\xBB\xBF",
       "abcd"},
      {"neighbours of the format ranges stay", "\xE2\x80\x8A\xE2\x80\x90\xE2\x80\xA9\xE2\x80\xAF\xE2\x81\x9F\xE2\x81\xAA\xEF\xBB\xBE",
       "\xE2\x80\x8A\xE2\x80\x90\xE2\x80\xA9\xE2\x80\xAF\xE2\x81\x9F\xE2\x81\xAA\xEF\xBB\xBE"},
      {"300 letters end after 256", a300, std::string(256, 'a')},
      {"the limit counts code points, not bytes", wide_256, wide_256.substr(0, 512)},
      {"removed characters do not count", "\xEF\xBB\xBF" + a300, std::string(256, 'a')},
      {"stray bytes pass through", "\xFF\xFE" "a\xC3", "\xFF\xFE" "a\xC3"},
      {"an overlong NUL is a stray byte, not a NUL", "\xC0\x80", "\xC0\x80"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(clean_text(c.text), c.clean) << c.what;
}

}  // namespace
}  // namespace kestro::probe

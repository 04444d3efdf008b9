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
      {"line and paragraph separators U+2028, U+2029", "On\xE2\x80\xA8Secure Boot\xE2\x80\xA9Off", "On Secure Boot Off"},
      {"soft hyphen, U+180E, U+206A, interlinear annotations, variation selectors",
       "a\xC2\xAD" "b\xE1\xA0\x8E" "c\xE2\x81\xAA" "d\xEF\xBF\xB9\xEF\xBF\xBA\xEF\xBF\xBB" "e\xEF\xB8\x8F" "f\xF3\xA0\x84\x80", "abcdef"},
      {"tag characters U+E0000-U+E007F", "\xF3\xA0\x80\x80" "a\xF3\xA0\x80\x81\xF3\xA0\x81\x81" "b\xF3\xA0\x81\xBF", "ab"},
      {"neighbours of the removed ranges stay",
       "\xE2\x80\x8A\xE2\x80\x90\xE2\x80\xA7\xE2\x80\xAF\xE2\x81\x9F\xE2\x81\xB0\xEF\xB8\x90\xEF\xBB\xBE\xEF\xBF\xBC\xF3\xA0\x82\x80",
       "\xE2\x80\x8A\xE2\x80\x90\xE2\x80\xA7\xE2\x80\xAF\xE2\x81\x9F\xE2\x81\xB0\xEF\xB8\x90\xEF\xBB\xBE\xEF\xBF\xBC\xF3\xA0\x82\x80"},
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

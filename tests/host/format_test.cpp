#include "base/text.h"
#include "probe/format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace kestro {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

// ---- white space ---------------------------------------------------------------------------

struct SpaceCase {
  std::string input;
  std::string trimmed;
  std::string normalized;
};

class FormatSpaces : public ::testing::TestWithParam<SpaceCase> {};

TEST_P(FormatSpaces, TrimAndNormalize) {
  const SpaceCase& c = GetParam();
  EXPECT_EQ(std::string(trim(c.input)), c.trimmed);
  EXPECT_EQ(normalize_spaces(c.input), c.normalized);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatSpaces,
    ::testing::Values(
        SpaceCase{"", "", ""},
        SpaceCase{" \t\r\n\v\f", "", ""},
        SpaceCase{"Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz     ",
                  "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz",
                  "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz"},
        SpaceCase{"   AMD   Ryzen  7\t\t5800X   8-Core  ", "AMD   Ryzen  7\t\t5800X   8-Core",
                  "AMD Ryzen 7 5800X 8-Core"},
        // Every multi-byte White_Space character, as padding and as separator.
        SpaceCase{"\xC2\x85\xC2\xA0" "a\xE1\x9A\x80" "b\xE2\x80\x80" "c\xE2\x80\x8A" "d"
                  "\xE2\x80\xA8" "e\xE2\x80\xA9" "f\xE2\x80\xAF" "g\xE2\x81\x9F" "h\xE3\x80\x80",
                  "a\xE1\x9A\x80" "b\xE2\x80\x80" "c\xE2\x80\x8A" "d\xE2\x80\xA8" "e\xE2\x80\xA9"
                  "f\xE2\x80\xAF" "g\xE2\x81\x9F" "h",
                  "a b c d e f g h"},
        // Neighbours of the set are not space: U+200B, U+2060, U+3001, U+00A1, U+1681.
        SpaceCase{"\xE2\x80\x8B" "a\xE2\x81\xA0", "\xE2\x80\x8B" "a\xE2\x81\xA0",
                  "\xE2\x80\x8B" "a\xE2\x81\xA0"},
        SpaceCase{"\xE3\x80\x81 \xC2\xA1 \xE1\x9A\x81", "\xE3\x80\x81 \xC2\xA1 \xE1\x9A\x81",
                  "\xE3\x80\x81 \xC2\xA1 \xE1\x9A\x81"},
        // Non-space letters whose encodings contain space-like trailing bytes stay intact.
        SpaceCase{" \xC3\xA9t\xC3\xA9 ", "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
        // Invalid UTF-8: truncated space sequences at the end and lone lead/continuation bytes
        // are ordinary non-space bytes.
        SpaceCase{"a \xC2", "a \xC2", "a \xC2"},
        SpaceCase{"a\xE2\x80", "a\xE2\x80", "a\xE2\x80"},
        SpaceCase{"\xE3\x80 \x80", "\xE3\x80 \x80", "\xE3\x80 \x80"},
        SpaceCase{"\xE2\xE2\x80\x80x", "\xE2\xE2\x80\x80x", "\xE2 x"},
        SpaceCase{std::string("a\0b", 3), std::string("a\0b", 3), std::string("a\0b", 3)}));

TEST(FormatSpaces, TrimReturnsViewIntoInput) {
  const std::string text = "  word  ";
  const std::string_view t = trim(text);
  EXPECT_EQ(t.data(), text.data() + 2);
  EXPECT_EQ(t.size(), 4u);
}

// ---- parse_number --------------------------------------------------------------------------

struct NumberCase {
  std::optional<std::string> text;
  std::optional<std::uint64_t> expected;
};

class FormatParseNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(FormatParseNumber, Parses) {
  const NumberCase& c = GetParam();
  std::optional<std::string_view> view;
  if (c.text) view = *c.text;
  EXPECT_EQ(parse_number(view), c.expected) << (c.text ? *c.text : "<absent>");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatParseNumber,
    ::testing::Values(
        NumberCase{std::nullopt, std::nullopt}, NumberCase{"", std::nullopt},
        NumberCase{" \t ", std::nullopt}, NumberCase{"abc", std::nullopt},
        NumberCase{"-1", std::nullopt}, NumberCase{"  42  ", 42},
        NumberCase{"\xC2\xA0" "42\xE3\x80\x80", 42}, NumberCase{"4.99", 4}, NumberCase{"3.9", 3},
        NumberCase{"0", 0}, NumberCase{"+7", 7}, NumberCase{"007", 7},
        NumberCase{"18446744073709551615", kMax},
        NumberCase{"18446744073709551616", kMax}, NumberCase{"1e30", kMax},
        NumberCase{"1e400", kMax}, NumberCase{"123456789e99999999999999999999", kMax},
        NumberCase{std::string(400, '9'), kMax},
        // 2^64 - 2048 is the largest double below 2^64.
        NumberCase{"18446744073709549568", 18446744073709549568ULL},
        NumberCase{"9007199254740993", 9007199254740992ULL},  // nearest double
        NumberCase{"1e3", 1000}, NumberCase{"1E+3", 1000}, NumberCase{"2.5e-1", 0},
        NumberCase{"1e-400", 0}, NumberCase{"0." + std::string(400, '0') + "1", 0},
        NumberCase{"0.00000000000000000000000000000000000000000001e400", kMax},
        NumberCase{".5", 0}, NumberCase{"5.", 5},
        NumberCase{"inf", kMax}, NumberCase{"INFINITY", kMax}, NumberCase{"+Inf", kMax},
        NumberCase{"-inf", std::nullopt}, NumberCase{"nan", std::nullopt},
        NumberCase{"NaN", std::nullopt}, NumberCase{"nan(123)", std::nullopt},
        NumberCase{"-nan", std::nullopt},
        // Zero written with a minus sign is still zero, not a negative number.
        NumberCase{"-0", 0}, NumberCase{"-0.0e5", 0},
        NumberCase{"-0.5", std::nullopt}, NumberCase{"-1e-400", std::nullopt},
        NumberCase{"-1e400", std::nullopt},
        // Anything beyond one plain decimal number.
        NumberCase{"0x10", std::nullopt}, NumberCase{"12abc", std::nullopt},
        NumberCase{"1 2", std::nullopt}, NumberCase{"1e", std::nullopt},
        NumberCase{"e5", std::nullopt}, NumberCase{"++1", std::nullopt},
        NumberCase{"+-1", std::nullopt}, NumberCase{"-+1", std::nullopt},
        NumberCase{"+", std::nullopt}, NumberCase{"- 1", std::nullopt},
        NumberCase{"1,5", std::nullopt}, NumberCase{"infinit", std::nullopt},
        NumberCase{".", std::nullopt}, NumberCase{std::string("1\0", 2), std::nullopt}));

// ---- is_placeholder ------------------------------------------------------------------------

TEST(FormatPlaceholder, Table) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"", true},
      {"To Be Filled By O.E.M.", true},
      {"TO BE FILLED BY O.E.M.", true},
      {"to be filled by o.e.m.", true},
      {"Default string", true},
      {"System Product Name", true},
      {"System manufacturer", true},
      {"UNKNOWN", true},
      {"O.E.M.", true},
      {"None", true},
      {"xx default STRING xx", true},
      {"OEM", false},
      {"Unknown Vendor", false},
      {"N/A", false},
      {"None ", false},
      {" unknown", false},
      {"Nonexistent", false},
      {"Contoso Ltd.", false},
      {"default strin", false},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(is_placeholder(text), expected) << text;
}

// ---- fill_template -------------------------------------------------------------------------

struct TemplateCase {
  std::string templ;
  std::vector<std::string> args;
  std::string expected;
};

std::string fill(const std::string& templ, const std::vector<std::string>& args) {
  switch (args.size()) {
    case 0: return fill_template(templ, {});
    case 1: return fill_template(templ, {args[0]});
    case 2: return fill_template(templ, {args[0], args[1]});
    case 3: return fill_template(templ, {args[0], args[1], args[2]});
    default: return fill_template(templ, {args[0], args[1], args[2], args[3]});
  }
}

class FormatFillTemplate : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(FormatFillTemplate, Fills) {
  const TemplateCase& c = GetParam();
  EXPECT_EQ(fill(c.templ, c.args), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatFillTemplate,
    ::testing::Values(
        TemplateCase{"{1} of {0} in use", {"4", "2"}, "2 of 4 in use"},
        TemplateCase{"{0}개 중 {1}개 사용", {"4", "2"}, "4개 중 2개 사용"},
        TemplateCase{"{0} of {1}", {"{1}", "x"}, "x of x"},
        TemplateCase{"{0}", {"{0}"}, "{0}"},        // not replaced again in the same step
        TemplateCase{"{1}", {"{0}", "y"}, "y"},     // step 1 still sees it
        TemplateCase{"{0}", {"{1}"}, "{1}"},        // marker without argument stays
        TemplateCase{"{0}{0}{0}", {"ab"}, "ababab"},
        TemplateCase{"{0}{0}{0}", {""}, ""},
        TemplateCase{"a{0}b{0}c", {"LONGER"}, "aLONGERbLONGERc"},
        TemplateCase{"{2}{1}{0}", {"a", "b", "c"}, "cba"},
        TemplateCase{"no markers", {"x", "y"}, "no markers"},
        TemplateCase{"{0}", {}, "{0}"},
        TemplateCase{"{01} {0 } {-0} { 0}", {"x"}, "{01} {0 } {-0} { 0}"},
        TemplateCase{"{{0}}", {"1", "z"}, "z"},     // argument 0 completes a "{1}"
        TemplateCase{"{{0}1}", {"", "z"}, "z"},     // so does an empty one
        TemplateCase{"{0}{1}", {"{", "1}"}, "{1}"},
        TemplateCase{"{3}", {"a", "b", "c", "d"}, "d"}));

// ---- fixed and decimal ---------------------------------------------------------------------

struct FixedCase {
  double value;
  int decimals;
  std::string expected;
};

class FormatFixed : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FormatFixed, MatchesPrintf) {
  const FixedCase& c = GetParam();
  EXPECT_EQ(fixed(c.value, c.decimals), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatFixed,
    ::testing::Values(
        FixedCase{0.125, 2, "0.12"},   // exact tie, to even
        FixedCase{0.375, 2, "0.38"},   // exact tie, to even
        FixedCase{2.5, 0, "2"}, FixedCase{3.5, 0, "4"}, FixedCase{0.5, 0, "0"},
        FixedCase{1.805, 2, "1.80"},   // binary value lies below the half
        FixedCase{1.815, 2, "1.81"},   // likewise
        FixedCase{1.005, 2, "1.00"}, FixedCase{2.675, 2, "2.67"},
        FixedCase{0.15, 1, "0.1"},     // 0.1499999...
        FixedCase{0.25, 1, "0.2"}, FixedCase{0.35, 1, "0.3"},
        FixedCase{15.9375, 1, "15.9"}, FixedCase{99.96, 0, "100"},
        FixedCase{1234.0, 0, "1234"}, FixedCase{7.0, 3, "7.000"},
        FixedCase{-1.25, 1, "-1.2"}, FixedCase{-0.04, 1, "-0.0"},
        FixedCase{-0.0, 0, "-0"}, FixedCase{0.0, 2, "0.00"},
        FixedCase{1e21, 0, "1000000000000000000000"},
        FixedCase{18446744073709551616.0, 0, "18446744073709551616"},
        FixedCase{0.1, 20, "0.10000000000000000555"},
        // Not-a-number and infinities carry no decimals; the sign is kept.
        FixedCase{std::numeric_limits<double>::infinity(), 2, "inf"},
        FixedCase{-std::numeric_limits<double>::infinity(), 0, "-inf"},
        FixedCase{std::numeric_limits<double>::quiet_NaN(), 1, "nan"},
        FixedCase{-std::numeric_limits<double>::quiet_NaN(), 1, "-nan"},
        // Out-of-range decimal counts are clamped to 0..100.
        FixedCase{2.5, -3, "2"}));

// The JSON document's whole numbers are those the rows write with fixed(value, 0).
TEST(FormatWholeNumber, IsTheNumberFixedWrites) {
  const double values[] = {0.0,     0.4,          0.5,          1.5,          2.5,
                           59.94,   59.5,         60.5,         61.5,         143.856,
                           99.96,   62.5,         0.49999999999999994,      1e-300,
                           100.0,   4294967295.0, 4294967295.5, 4294967294.5, 9007199254740991.0};
  for (const double value : values) {
    EXPECT_EQ(std::to_string(whole_number(value)), fixed(value, 0)) << value;
  }
}

TEST(FormatFixed, HugeValueAndManyDecimalsFit) {
  const std::string max = fixed(std::numeric_limits<double>::max(), 100);
  EXPECT_EQ(max.size(), 309u + 1u + 100u);
  EXPECT_EQ(max.substr(0, 6), "179769");
  EXPECT_EQ(fixed(-std::numeric_limits<double>::max(), 1000).size(), 1u + 309u + 1u + 100u);
}

TEST(FormatFixed, IgnoresProcessLocale) {
  // Needs a German locale (decimal comma) under its POSIX or its Windows name. The host build
  // makes one in its build tree; run without ctest, which points LOCPATH at it, the test
  // points there itself.
#ifdef KESTRO_TEST_LOCALE_DIR
  if (const char* path = std::getenv("LOCPATH"); path == nullptr || *path == '\0') {
    setenv("LOCPATH", KESTRO_TEST_LOCALE_DIR, 1);
  }
#endif
  struct Restore {
    std::string saved = std::setlocale(LC_ALL, nullptr);
    ~Restore() { std::setlocale(LC_ALL, saved.c_str()); }
  } restore;
  bool german = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de-DE", "German_Germany.1252"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      german = true;
      break;
    }
  }
  if (!german) GTEST_SKIP() << "no German locale: build the kestro_test_locale target";
  ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
  EXPECT_EQ(fixed(1.25, 2), "1.25");
  EXPECT_EQ(format_bytes(1126), "1.1 KB");
  EXPECT_EQ(format_disk_size(1500000000000), "1.5 TB");
  EXPECT_EQ(parse_number("3.9"), 3u);
  EXPECT_EQ(parse_number("3,9"), std::nullopt);
}

TEST(FormatDecimal, Table) {
  EXPECT_EQ(decimal(0), "0");
  EXPECT_EQ(decimal(7), "7");
  EXPECT_EQ(decimal(1000000), "1000000");
  EXPECT_EQ(decimal(kMax), "18446744073709551615");
}

// ---- sizes ---------------------------------------------------------------------------------

constexpr std::uint64_t KiB = 1024;
constexpr std::uint64_t MiB = KiB * 1024;
constexpr std::uint64_t GiB = MiB * 1024;
constexpr std::uint64_t TiB = GiB * 1024;
constexpr std::uint64_t PiB = TiB * 1024;

TEST(FormatBytes, Table) {
  const std::vector<std::pair<std::uint64_t, std::string>> cases = {
      {0, "0 B"},
      {512, "512 B"},
      {1023, "1023 B"},
      {1024, "1 KB"},
      {1126, "1.1 KB"},
      {1075, "1 KB"},              // 1.0498 is within 0.05 of 1
      {1076, "1.1 KB"},            // 1.0508 is not
      {1536 * KiB, "1.5 MB"},
      {16 * MiB, "16 MB"},
      {1023 * KiB, "1023 KB"},
      {1024 * KiB - 1, "1024 KB"}, // 1023.999 KiB stays in KB and rounds up to 1024
      {17179869184, "16 GB"},
      {17112760320, "15.9 GB"},    // 15.9375: the written decimal rounds down
      {static_cast<std::uint64_t>(15.97 * GiB), "16 GB"},
      {static_cast<std::uint64_t>(99.96 * GiB), "100 GB"},
      {static_cast<std::uint64_t>(99.94 * GiB), "99.9 GB"},
      {static_cast<std::uint64_t>(10.25 * GiB), "10.2 GB"},  // exact tie goes to even
      {2 * TiB, "2 TB"},
      {2 * PiB, "2048 TB"},
      {kMax, "16777216 TB"},
  };
  for (const auto& [bytes, expected] : cases) EXPECT_EQ(format_bytes(bytes), expected) << bytes;
}

TEST(FormatDiskSize, Table) {
  const std::vector<std::pair<std::uint64_t, std::string>> cases = {
      {0, "0 GB"},
      {499999999, "0 GB"},
      {500000000, "0 GB"},         // 0.5: tie to even
      {1500000000, "2 GB"},
      {512110190592, "512 GB"},
      {999499999999, "999 GB"},
      {999600000000, "1000 GB"},
      {1000000000000, "1 TB"},
      {1000204886016, "1 TB"},
      {1049999999999, "1 TB"},
      {1050000000001, "1.1 TB"},
      {1500000000000, "1.5 TB"},
      {2000398934016, "2 TB"},
      {10000000000000, "10 TB"},
      {20480000000000, "20.5 TB"},
      {kMax, "18446744.1 TB"},
  };
  for (const auto& [bytes, expected] : cases) {
    EXPECT_EQ(format_disk_size(bytes), expected) << bytes;
  }
}

}  // namespace
}  // namespace kestro

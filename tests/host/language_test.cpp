#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "i18n/language.h"
#include "i18n/translate.h"

namespace kestro {
namespace {

TEST(LanguageTable, TenLanguagesInMenuOrder) {
  const auto& table = language_table();
  const char* const codes[] = {"en", "ko", "ja", "zh-Hans", "zh-Hant",
                               "es", "fr", "de", "pt",      "ru"};
  const char* const names[] = {"English",  "한국어",  "日本語",    "简体中文",  "繁體中文",
                               "Español", "Français", "Deutsch", "Português", "Русский"};
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(table[i].code, codes[i]);
    EXPECT_EQ(table[i].own_name, names[i]);
  }
}

// The result must be the table's own text, not a copy of (or a view into) the input.
bool points_into_table(std::string_view code) {
  for (const LanguageRow& row : language_table()) {
    if (row.code.data() == code.data() && row.code.size() == code.size()) return true;
  }
  return false;
}

struct LangidCase {
  std::uint16_t langid;
  const char* expected;
};

class ChooseByLangid : public testing::TestWithParam<LangidCase> {};

TEST_P(ChooseByLangid, MapsThePrimaryLanguage) {
  const LangidCase& c = GetParam();
  const std::string_view chosen = choose_language(std::nullopt, c.langid);
  EXPECT_EQ(chosen, c.expected) << std::hex << c.langid;
  EXPECT_TRUE(points_into_table(chosen));
}

INSTANTIATE_TEST_SUITE_P(
    Langids, ChooseByLangid,
    testing::Values(LangidCase{0x0804, "zh-Hans"},  // PRC
                    LangidCase{0x1004, "zh-Hans"},  // Singapore
                    LangidCase{0x0404, "zh-Hant"},  // Taiwan
                    LangidCase{0x0C04, "zh-Hant"},  // Hong Kong
                    LangidCase{0x1404, "zh-Hant"},  // Macao
                    LangidCase{0x7C04, "zh-Hant"},  // Chinese (Traditional), neutral
                    LangidCase{0x0004, "zh-Hant"},  // Chinese, neutral sublanguage
                    LangidCase{0x0407, "de"}, LangidCase{0x0807, "de"},
                    LangidCase{0x0C0A, "es"}, LangidCase{0x080A, "es"},
                    LangidCase{0x040C, "fr"}, LangidCase{0x0C0C, "fr"},
                    LangidCase{0x0411, "ja"}, LangidCase{0x0412, "ko"},
                    LangidCase{0x0416, "pt"}, LangidCase{0x0816, "pt"},
                    LangidCase{0x0419, "ru"}, LangidCase{0x0409, "en"},
                    LangidCase{0x0809, "en"}, LangidCase{0x0410, "en"},  // Italian
                    LangidCase{0x0413, "en"},                            // Dutch
                    LangidCase{0x0000, "en"}, LangidCase{0xFFFF, "en"},
                    // Only the low ten bits name the language; the bits above them are the
                    // sublanguage: 0xFC12 is still Korean, 0x0204 (primary 0x204) not Chinese.
                    LangidCase{0xFC12, "ko"}, LangidCase{0x0204, "en"}));

struct StoredCase {
  std::optional<std::string> stored;
  std::uint16_t langid;
  const char* expected;
};

class ChooseByStoredSetting : public testing::TestWithParam<StoredCase> {};

TEST_P(ChooseByStoredSetting, ExactCodeWinsOtherwiseWindowsDecides) {
  const StoredCase& c = GetParam();
  const std::optional<std::string_view> stored =
      c.stored ? std::optional<std::string_view>(*c.stored) : std::nullopt;
  const std::string_view chosen = choose_language(stored, c.langid);
  EXPECT_EQ(chosen, c.expected);
  EXPECT_TRUE(points_into_table(chosen));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ChooseByStoredSetting,
    testing::Values(StoredCase{"zh-Hant", 0x0407, "zh-Hant"},  // wins over a German Windows
                    StoredCase{"ko", 0x0409, "ko"}, StoredCase{"en", 0x0412, "en"},
                    StoredCase{"ru", 0x0411, "ru"}, StoredCase{"pt", 0x0409, "pt"},
                    StoredCase{"", 0x0C04, "zh-Hant"},    // "Follow Windows"
                    StoredCase{"", 0x1004, "zh-Hans"},
                    StoredCase{std::nullopt, 0x0412, "ko"},
                    StoredCase{"EN", 0x0407, "de"},        // case matters
                    StoredCase{"it", 0x0410, "en"},        // not one of the ten
                    StoredCase{"zh-hans", 0x0409, "en"},   // the website's spelling
                    StoredCase{"de ", 0x0409, "en"},       // whole text only
                    StoredCase{std::string("de\0", 3), 0x0409, "en"},
                    StoredCase{"Deutsch", 0x0409, "en"}));

TEST(CurrentLanguage, IsFixedForTheProcessAndOverridable) {
  const std::string_view first = current_language();
  EXPECT_TRUE(points_into_table(first));
  {
    const ScopedLanguageOverride german("de");
    EXPECT_EQ(current_language(), "de");
    EXPECT_TRUE(points_into_table(current_language()));
  }
  EXPECT_EQ(current_language(), first);
  {
    // A code outside the table behaves like the choice would: English.
    const std::string code = "it";
    const ScopedLanguageOverride italian(code);
    EXPECT_EQ(current_language(), "en");
    EXPECT_TRUE(points_into_table(current_language()));
  }
}

TEST(CurrentLanguage, WithoutAnInstalledSourceTheChoiceIsEnglish) {
  // The test programs install no source: no stored setting and an English Windows.
  EXPECT_EQ(current_language(), "en");
}

}  // namespace
}  // namespace kestro

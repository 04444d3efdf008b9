// The pop-up menu as it opens: items, ids, check marks from the stored settings; the
// language a command stores; the About box.

#include "app/menu/context_menu.h"

#include <gtest/gtest.h>

#include "i18n/translate.h"

namespace kestro::app {
namespace {

using Kind = MenuItem::Kind;

// "1" for each checked language item, "0" otherwise: Follow Windows, then the ten languages.
std::string language_marks(const std::vector<MenuItem>& menu) {
  std::string marks;
  for (const MenuItem& item : menu.at(0).items) {
    if (item.kind == Kind::Command) marks += item.checked ? '1' : '0';
  }
  return marks;
}

TEST(ContextMenu, ShapeIdsAndTexts) {
  const ScopedLanguageOverride english("en");
  const std::vector<MenuItem> menu = build_context_menu(std::nullopt, std::nullopt);
  ASSERT_EQ(menu.size(), 5u);
  EXPECT_EQ(menu[0].kind, Kind::Submenu);
  EXPECT_EQ(menu[0].text, "Language");
  const std::vector<MenuItem>& languages = menu[0].items;
  ASSERT_EQ(languages.size(), 12u);
  EXPECT_EQ(languages[0].text, "Follow Windows");
  EXPECT_EQ(languages[0].id, 100u);
  EXPECT_EQ(languages[1].kind, Kind::Separator);
  EXPECT_EQ(languages[2].text, "English");
  EXPECT_EQ(languages[2].id, 101u);
  EXPECT_EQ(languages[3].text, "한국어");
  EXPECT_EQ(languages[11].text, "Русский");
  EXPECT_EQ(languages[11].id, 110u);
  const std::vector<std::pair<std::string, std::uint32_t>> main_items = {
      {"Automatic updates", 1}, {"Check for updates", 2}, {"More apps from Lumwerk", 3},
      {"About Kestro", 4}};
  for (std::size_t i = 0; i < main_items.size(); ++i) {
    EXPECT_EQ(menu[i + 1].kind, Kind::Command);
    EXPECT_EQ(menu[i + 1].text, main_items[i].first);
    EXPECT_EQ(menu[i + 1].id, main_items[i].second);
  }

  const ScopedLanguageOverride korean("ko");
  const std::vector<MenuItem> ko = build_context_menu(std::nullopt, std::nullopt);
  EXPECT_EQ(ko[0].text, "언어");
  EXPECT_EQ(ko[0].items[0].text, "Windows 언어 따라가기");
  EXPECT_EQ(ko[0].items[2].text, "English");  // the languages' own names are never translated
  EXPECT_EQ(ko[4].text, "Kestro 정보");
}

TEST(ContextMenu, CheckMarksFollowTheStoredSettings) {
  const ScopedLanguageOverride english("en");
  const struct {
    std::optional<std::string> language;
    const char* marks;
  } languages[] = {
      {std::nullopt, "10000000000"}, {"", "10000000000"},   {"de", "00000000100"},
      {"en", "01000000000"},         {"zh-Hant", "00000100000"}, {"xx", "00000000000"},
      {"DE", "00000000000"},         {"de ", "00000000000"},
  };
  for (const auto& c : languages) {
    EXPECT_EQ(language_marks(build_context_menu(c.language, std::nullopt)), c.marks)
        << c.language.value_or("<absent>");
  }
  const struct {
    std::optional<std::uint32_t> flag;
    bool checked;
  } flags[] = {{std::nullopt, true}, {0u, false}, {1u, true}, {5u, true}};
  for (const auto& c : flags) {
    EXPECT_EQ(build_context_menu(std::nullopt, c.flag)[1].checked, c.checked)
        << c.flag.value_or(999);
  }
}

TEST(ContextMenu, LanguageCommandsStoreTheirCode) {
  EXPECT_EQ(language_for_command(100), "");  // Follow Windows stores an empty text
  EXPECT_EQ(language_for_command(101), "en");
  EXPECT_EQ(language_for_command(104), "zh-Hans");
  EXPECT_EQ(language_for_command(110), "ru");
  for (const std::uint32_t other : {0u, 1u, 4u, 99u, 111u}) {
    EXPECT_EQ(language_for_command(other), std::nullopt) << other;
  }
}

TEST(ContextMenu, AboutBox) {
  const ScopedLanguageOverride english("en");
  EXPECT_EQ(about_caption(), "About Kestro");
  EXPECT_EQ(about_text(),
            "Kestro 0.1.0\n\nA free app that shows your PC's specs and health on one screen\n\n"
            "https://lumwerk.example/Kestro/\n\u00A9 2026 Lumwerk");
  const ScopedLanguageOverride german("de");
  EXPECT_EQ(about_caption(), "Info zu Kestro");
}

}  // namespace
}  // namespace kestro::app

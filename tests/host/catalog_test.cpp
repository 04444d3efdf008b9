// Checks the catalogs embedded in the program (the program reads nothing from disk; one test
// compares the embedded bytes with the catalog files) against the texts the program registers
// for translation, and the catalog parser's handling of malformed texts.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/menu/menu_texts.h"
#include "app/updater/texts.h"
#include "app/view/texts.h"
#include "i18n/catalog.h"
#include "i18n/product.h"
#include "probe/section_registry.h"

namespace kestro {
namespace {

using namespace std::string_literals;

constexpr std::array<std::string_view, 8> kCatalogCodes{"ja", "zh-Hans", "zh-Hant", "es",
                                                        "fr", "de",      "pt",      "ru"};

// Every text the program registers for translation: each card's heading and texts, the
// window's, the menu's and the updater's texts, and the maker's website. The catalogs must
// hold exactly their English forms, so a new text without its translations fails below.
std::vector<TextPair> registered_texts() {
  std::vector<TextPair> texts = probe::section_texts();
  for (const auto& module : {std::span<const TextPair>(app::texts::kViewTexts),
                             std::span<const TextPair>(app::texts::kMenuTexts),
                             std::span<const TextPair>(updater::texts::kUpdaterTexts)}) {
    texts.insert(texts.end(), module.begin(), module.end());
  }
  texts.insert(texts.end(), kProductTexts.begin(), kProductTexts.end());
  return texts;
}

// The catalog keys: the registered texts' English forms.
const std::set<std::string_view>& keys() {
  static const std::set<std::string_view> english = [] {
    std::set<std::string_view> forms;
    for (const TextPair& text : registered_texts()) forms.insert(text.en);
    return forms;
  }();
  return english;
}

struct Telling {
  std::string_view key;
  std::array<std::string_view, 8> texts;  // in kCatalogCodes order
};

const Telling kTelling[] = {
    {"Follow Windows",
     {"Windows の言語に合わせる", "跟随 Windows", "跟隨 Windows", "Igual que Windows", "Comme Windows", "Wie Windows", "Igual ao Windows", "Как в Windows"}},
    {"Language",
     {"言語", "语言", "語言", "Idioma", "Langue", "Sprache", "Idioma", "Язык"}},
    {"{1} of {0} in use",
     {"{0} 個中 {1} 個使用", "{0} 个中已用 {1} 个", "{0} 個中已用 {1} 個", "{1} de {0} en uso", "{1} sur {0} utilisés", "{1} von {0} belegt", "{1} de {0} em uso", "Занято {1} из {0}"}},
    {"{0} d {1} h {2} min",
     {"{0} 日 {1} 時間 {2} 分", "{0} 天 {1} 小时 {2} 分钟", "{0} 天 {1} 小時 {2} 分鐘", "{0} d {1} h {2} min", "{0} j {1} h {2} min", "{0} T. {1} Std. {2} Min.", "{0} d {1} h {2} min", "{0} дн. {1} ч {2} мин"}},
    {"{0} cores, {1} threads",
     {"{0} コア {1} スレッド", "{0} 核 {1} 线程", "{0} 核心 {1} 執行緒", "{0} núcleos, {1} hilos", "{0} cœurs, {1} threads", "{0} Kerne, {1} Threads", "{0} núcleos, {1} threads", "Ядер: {0}, потоков: {1}"}},
    {"{0} used of {1}",
     {"使用 {0} / 合計 {1}", "已用 {0}，共 {1}", "已用 {0}，共 {1}", "{0} usados de {1}", "{0} utilisés sur {1}", "{0} von {1} belegt", "{0} usados de {1}", "Занято {0} из {1}"}},
    {"{0}% of new",
     {"新品時の {0}%", "新电池的 {0}%", "新電池的 {0}%", "{0} % de la original", "{0} % de l’état neuf", "{0} % vom Neuzustand", "{0}% da original", "{0}% от новой"}},
    {"Takes effect the next time Kestro opens",
     {"次に Kestro を開いたときに変わります", "下次打开 Kestro 时生效", "下次開啟 Kestro 時生效", "Se aplica la próxima vez que abras Kestro", "S’applique à la prochaine ouverture de Kestro", "Gilt beim nächsten Start von Kestro", "Vale na próxima vez que você abrir o Kestro", "Изменится при следующем запуске Kestro"}},
    {"About Kestro",
     {"Kestro について", "关于 Kestro", "關於 Kestro", "Acerca de Kestro", "À propos de Kestro", "Info zu Kestro", "Sobre o Kestro", "О программе Kestro"}},
};

// Every "{n}" placeholder of a text, sorted; a repeated one appears twice.
std::multiset<std::string> placeholders(std::string_view text) {
  static const std::regex pattern(R"(\{[0-9]+\})");
  std::multiset<std::string> found;
  const std::string copy(text);
  for (auto it = std::sregex_iterator(copy.begin(), copy.end(), pattern);
       it != std::sregex_iterator(); ++it) {
    found.insert(it->str());
  }
  return found;
}

// Splits at LF; the last element is what follows the final LF.
std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t at = text.find('\n'); at != std::string_view::npos;
       at = text.find('\n', start)) {
    lines.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

struct Member {
  std::string_view key;
  std::string_view value;
  bool comma;
};

// One member line in the stored layout: one space, "key": "value", optional comma. The
// texts hold no escapes, so the first `": "` ends the key.
std::optional<Member> member_line(std::string_view line) {
  if (line.size() < 8 || line.substr(0, 2) != " \"") return std::nullopt;
  const bool comma = line.back() == ',';
  if (comma) line.remove_suffix(1);
  if (line.back() != '"') return std::nullopt;
  const std::string_view inner = line.substr(2, line.size() - 3);
  const std::size_t split = inner.find("\": \"");
  if (split == std::string_view::npos) return std::nullopt;
  Member member{inner.substr(0, split), inner.substr(split + 4), comma};
  if (member.key.find('"') != std::string_view::npos ||
      member.value.find('"') != std::string_view::npos) {
    return std::nullopt;
  }
  return member;
}

// Each catalog in the stored layout, with every key once and no other, all eight in the same
// order.
TEST(EmbeddedCatalogs, FollowTheStoredLayoutWithEveryKeyInOrder) {
  std::vector<std::string_view> first_order;
  for (const std::string_view code : kCatalogCodes) {
    SCOPED_TRACE(std::string(code));
    const std::string_view text = catalog_text(code);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.substr(0, 3), "\xEF\xBB\xBF") << "byte-order mark";
    EXPECT_EQ(text.find('\\'), std::string_view::npos) << "escape sequence";
    EXPECT_EQ(text.find('\r'), std::string_view::npos);
    EXPECT_EQ(text.find('\t'), std::string_view::npos);

    const std::vector<std::string_view> lines = split_lines(text);
    // "{", one member per key, "}", and the empty remainder after the final line feed.
    ASSERT_EQ(lines.size(), keys().size() + 3u);
    EXPECT_EQ(lines.front(), "{");
    EXPECT_EQ(lines[keys().size() + 1], "}");
    EXPECT_EQ(lines[keys().size() + 2], "") << "the text must end with exactly one line feed after }";
    std::vector<std::string_view> order;
    for (std::size_t i = 0; i < keys().size(); ++i) {
      const auto member = member_line(lines[i + 1]);
      ASSERT_TRUE(member) << "line " << i + 2 << ": " << lines[i + 1];
      EXPECT_TRUE(keys().contains(member->key)) << "not a text of the program: " << member->key;
      order.push_back(member->key);
      EXPECT_EQ(member->comma, i + 1 < keys().size()) << "comma after key " << i + 1;
      EXPECT_FALSE(member->value.empty()) << "key " << i + 1;
      EXPECT_EQ(placeholders(member->value), placeholders(member->key))
          << "key " << i + 1 << ": " << member->value;
    }
    EXPECT_EQ(std::set<std::string_view>(order.begin(), order.end()), keys())
        << "a key missing or twice";
    if (first_order.empty()) first_order = order;
    EXPECT_EQ(order, first_order) << "keys in another order than in " << kCatalogCodes[0];
  }
}

TEST(EmbeddedCatalogs, ParseToTheSameKeys) {
  for (const std::string_view code : kCatalogCodes) {
    SCOPED_TRACE(std::string(code));
    const Catalog parsed = parse_catalog(catalog_text(code));
    ASSERT_EQ(parsed.size(), keys().size());
    for (const std::string_view key : keys()) {
      EXPECT_TRUE(parsed.contains(key)) << key;
    }
  }
}

TEST(EmbeddedCatalogs, PlaceholdersOfTheKeysAreDistinct) {
  // Each placeholder of a key once, so "same multiset" means "each once" in the translations.
  for (const std::string_view key : keys()) {
    const auto found = placeholders(key);
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()).size(), found.size()) << key;
  }
}

// One English form, one Korean form: a key translated twice would read one way in Korean and
// another in the catalogs.
TEST(EmbeddedCatalogs, EachKeyHasOneKoreanForm) {
  std::map<std::string_view, std::string_view> korean;
  for (const TextPair& text : registered_texts()) {
    const auto [at, added] = korean.emplace(text.en, text.ko);
    EXPECT_EQ(at->second, text.ko) << text.en;
  }
}

TEST(EmbeddedCatalogs, TellingTranslationsAreExact) {
  for (std::size_t c = 0; c < kCatalogCodes.size(); ++c) {
    const Catalog parsed = parse_catalog(catalog_text(kCatalogCodes[c]));
    for (const Telling& row : kTelling) {
      const auto found = parsed.find(row.key);
      ASSERT_NE(found, parsed.end()) << kCatalogCodes[c] << ": " << row.key;
      EXPECT_EQ(found->second, row.texts[c]) << kCatalogCodes[c] << ": " << row.key;
    }
  }
}

TEST(EmbeddedCatalogs, WebsiteKeyLeadsToTheLanguagePage) {
  const std::array<std::string_view, 8> segments{"ja/", "zh-hans/", "zh-hant/", "es/",
                                                 "fr/", "de/",      "pt/",      "ru/"};
  EXPECT_TRUE(keys().contains(kWebsiteRoot));
  for (std::size_t c = 0; c < kCatalogCodes.size(); ++c) {
    const Catalog parsed = parse_catalog(catalog_text(kCatalogCodes[c]));
    const auto found = parsed.find(kWebsiteRoot);
    ASSERT_NE(found, parsed.end()) << kCatalogCodes[c];
    EXPECT_EQ(found->second, std::string(kWebsiteRoot) + std::string(segments[c]));
  }
  EXPECT_EQ(website_link().en, kWebsiteRoot);
  EXPECT_EQ(website_link().ko, "https://lumwerk.example/ko/");
  EXPECT_EQ(kProductPage, "https://lumwerk.example/Kestro/");
}

// The build embeds each catalog file byte for byte. The files are found beside this test's
// source; a run where the source tree is not reachable (another machine) skips.
TEST(EmbeddedCatalogs, AreTheCatalogFilesByteForByte) {
  const std::filesystem::path folder =
      std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "src" / "i18n" / "catalogs";
  for (const std::string_view code : kCatalogCodes) {
    std::ifstream file(folder / (std::string(code) + ".json"), std::ios::binary);
    if (!file) GTEST_SKIP() << "source tree not reachable at " << folder.string();
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    EXPECT_TRUE(catalog_text(code) == bytes) << code << " differs from its file";
  }
}

TEST(EmbeddedCatalogs, OtherCodesGetAnEmptyObject) {
  for (const std::string_view code : {"en", "ko", "it", "", "DE", "zh-hans", "de "}) {
    EXPECT_EQ(catalog_text(code), "{}") << code;
  }
  EXPECT_TRUE(parse_catalog(catalog_text("it")).empty());
}

struct ParseCase {
  const char* name;
  std::string text;
  std::vector<std::pair<std::string, std::string>> expected;  // empty: empty catalog
};

class ParseCatalog : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseCatalog, GivesTheMembersOrNothing) {
  const ParseCase& c = GetParam();
  const Catalog parsed = parse_catalog(c.text);
  ASSERT_EQ(parsed.size(), c.expected.size());
  for (const auto& [key, value] : c.expected) {
    const auto found = parsed.find(key);
    ASSERT_NE(found, parsed.end()) << key;
    EXPECT_EQ(found->second, value) << key;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseCatalog,
    testing::Values(
        ParseCase{"Flat", R"({"Copy all": "Alles kopieren", "Now": "Jetzt"})",
                  {{"Copy all", "Alles kopieren"}, {"Now", "Jetzt"}}},
        ParseCase{"EmptyObject", "{}", {}},
        ParseCase{"LaterDuplicateWins", R"({"Now": "first", "Model": "m", "Now": "second"})",
                  {{"Now", "second"}, {"Model", "m"}}},
        ParseCase{"SurroundingWhiteSpace", " \t\r\n{\"a\": \"b\"}\r\n\t \n", {{"a", "b"}}},
        ParseCase{"EscapesDecoded", R"({"a\"b": "\u00e9\n\ud83d\ude00"})",
                  {{"a\"b", "\xC3\xA9\n\xF0\x9F\x98\x80"}}},
        ParseCase{"EmptyValueKept", R"({"a": ""})", {{"a", ""}}},
        ParseCase{"EmbeddedNulKeptAtExactLength", "{\"a\": \"x\\u0000y\"}", {{"a", "x\0y"s}}},
        ParseCase{"TrailingComma", R"({"a": "b",})", {}},
        ParseCase{"NumberValue", R"({"a": "b", "c": 1})", {}},
        ParseCase{"NullValue", R"({"a": null})", {}},
        ParseCase{"BoolValue", R"({"a": true})", {}},
        ParseCase{"NestedObject", R"({"a": {"b": "c"}})", {}},
        ParseCase{"ArrayValue", R"({"a": ["b"]})", {}},
        ParseCase{"TopLevelArray", R"(["a", "b"])", {}},
        ParseCase{"TopLevelString", R"("a")", {}},
        ParseCase{"TrailingData", R"({"a": "b"} x)", {}},
        ParseCase{"SecondObject", R"({"a": "b"}{"c": "d"})", {}},
        ParseCase{"TrailingNul", "{\"a\": \"b\"}\0"s, {}},
        ParseCase{"Truncated", R"({"a": "b")", {}},
        ParseCase{"Empty", "", {}},
        ParseCase{"ByteOrderMark", "\xEF\xBB\xBF{\"a\": \"b\"}", {}},
        ParseCase{"Comment", "{\"a\": \"b\" /* c */}", {}},
        ParseCase{"SingleQuotes", "{'a': 'b'}", {}},
        ParseCase{"RawControlCharacter", "{\"a\": \"b\nc\"}", {}},
        ParseCase{"InvalidUtf8", "{\"a\": \"\xC3\x28\"}", {}},
        ParseCase{"LoneSurrogateEscape", R"({"a": "\ud800"})", {}},
        ParseCase{"VerticalTabIsNotWhiteSpace", "\v{\"a\": \"b\"}", {}}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestro

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "i18n/catalog.h"
#include "i18n/product.h"
#include "i18n/translate.h"
#include "probe/format.h"

namespace kestro {
namespace {

constexpr TextPair kCopyAll{"모두 복사", "Copy all"};
constexpr TextPair kMoreApps{"Lumwerk 의 다른 프로그램", "More apps from Lumwerk"};
constexpr TextPair kSlotsInUse{"{0}개 중 {1}개 사용", "{1} of {0} in use"};
constexpr TextPair kNotAKey{"목록에 없는 글", "A text no catalog has"};

struct LookupCase {
  const char* language;
  const char* catalog_text;
  TextPair pair;
  const char* expected;
};

class TranslateWith : public testing::TestWithParam<LookupCase> {};

TEST_P(TranslateWith, PicksTheFormOrTheCatalogEntry) {
  const LookupCase& c = GetParam();
  const Catalog catalog = parse_catalog(c.catalog_text);
  EXPECT_EQ(translate_with(c.language, catalog, c.pair), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TranslateWith,
    testing::Values(
        LookupCase{"ko", R"({"Copy all": "X"})", kCopyAll, "모두 복사"},
        LookupCase{"en", R"({"Copy all": "X"})", kCopyAll, "Copy all"},
        LookupCase{"de", R"({"Copy all": "Alles kopieren"})", kCopyAll, "Alles kopieren"},
        LookupCase{"fr", R"({"Copy all": "Tout copier"})", kNotAKey, "A text no catalog has"},
        LookupCase{"ja", R"({"Copy all": "x",})", kCopyAll, "Copy all"},  // unparsable
        LookupCase{"ja", R"({"Copy all": 1})", kCopyAll, "Copy all"},
        LookupCase{"es", R"({"Copy all": "a", "Copy all": "b"})", kCopyAll, "b"},
        // Exact byte match of the whole key.
        LookupCase{"de", R"({"copy all": "x", "Copy all ": "y"})", kCopyAll, "Copy all"},
        // An empty catalog value is shown as it is.
        LookupCase{"de", R"({"Copy all": ""})", kCopyAll, ""}));

TEST(TranslateWith, ReturnsBorrowedTexts) {
  const Catalog catalog = parse_catalog(R"({"Copy all": "Alles kopieren"})");
  EXPECT_EQ(translate_with("de", catalog, kCopyAll).data(), catalog.at("Copy all").data());
  EXPECT_EQ(translate_with("ko", catalog, kCopyAll).data(), kCopyAll.ko.data());
  EXPECT_EQ(translate_with("ja", catalog, kNotAKey).data(), kNotAKey.en.data());
}

struct OverrideCase {
  const char* language;
  TextPair pair;
  const char* expected;
};

class TranslateUnderOverride : public testing::TestWithParam<OverrideCase> {};

TEST_P(TranslateUnderOverride, UsesTheEmbeddedCatalog) {
  const OverrideCase& c = GetParam();
  const ScopedLanguageOverride language(c.language);
  EXPECT_EQ(translate(c.pair), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TranslateUnderOverride,
    testing::Values(OverrideCase{"de", kCopyAll, "Alles kopieren"},
                    OverrideCase{"de", kMoreApps, "Weitere Apps von Lumwerk"},
                    OverrideCase{"ko", kCopyAll, "모두 복사"},
                    OverrideCase{"en", kCopyAll, "Copy all"},
                    OverrideCase{"fr", kNotAKey, "A text no catalog has"},
                    OverrideCase{"zh-Hant", kSlotsInUse, "{0} 個中已用 {1} 個"},
                    OverrideCase{"zh-Hans", website_link(), "https://lumwerk.example/zh-hans/"},
                    OverrideCase{"ko", website_link(), "https://lumwerk.example/ko/"},
                    OverrideCase{"en", website_link(), "https://lumwerk.example/"},
                    OverrideCase{"it", kCopyAll, "Copy all"}));

TEST(TranslateUnderOverride, CatalogFollowsTheOverride) {
  {
    const ScopedLanguageOverride language("ru");
    EXPECT_EQ(catalog().size(), parse_catalog(catalog_text("ru")).size());
    EXPECT_EQ(catalog().at("Copy all"), "Копировать всё");
  }
  const ScopedLanguageOverride language("ko");
  EXPECT_TRUE(catalog().empty());
}

// Placeholders are bound by number after the lookup, so a translation may reorder them.
struct TemplateCase {
  const char* language;
  const char* expected;
};

class FilledTemplate : public testing::TestWithParam<TemplateCase> {};

TEST_P(FilledTemplate, SlotsInUseWithFourAndTwo) {
  const ScopedLanguageOverride language(GetParam().language);
  EXPECT_EQ(fill_template(translate(kSlotsInUse), {"4", "2"}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FilledTemplate,
                         testing::Values(TemplateCase{"es", "2 de 4 en uso"},
                                         TemplateCase{"ja", "4 個中 2 個使用"},
                                         TemplateCase{"ru", "Занято 2 из 4"},
                                         TemplateCase{"en", "2 of 4 in use"},
                                         TemplateCase{"ko", "4개 중 2개 사용"}));

TEST(TranslateUnderOverride, ManyThreadsSeeTheSameTexts) {
  const ScopedLanguageOverride language("de");
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&wrong] {
      for (int i = 0; i < 2000; ++i) {
        if (translate(kCopyAll) != "Alles kopieren") ++wrong;
        if (translate(kNotAKey) != "A text no catalog has") ++wrong;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

#ifndef _WIN32
TEST(Translate, ProcessLanguageOnTheHostIsEnglish) {
  // No setting and an English Windows stand-in: English forms, no catalog.
  EXPECT_EQ(translate(kCopyAll), "Copy all");
  EXPECT_EQ(translate(kCopyAll).data(), kCopyAll.en.data());
}
#endif

}  // namespace
}  // namespace kestro

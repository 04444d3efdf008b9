// The language inputs as the running program reads them: the `Language` setting from the
// real settings key, whatever type it was stored with, decides before the UI language.

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "app/settings/language_source_win32.h"
#include "base/registry_win32.h"
#include "i18n/language.h"

namespace kestro {
namespace {

constexpr const wchar_t* kKey = L"Software\\Kestro";

class LanguageSourceOnWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY key = nullptr;
    had_key_ = RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (key) RegCloseKey(key);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Language");
  }
  void TearDown() override {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Language");
    if (!had_key_) delete_registry_tree(HKEY_CURRENT_USER, "Software\\Kestro");
  }

  static void store_text(const std::wstring& text) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Language", REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }

  bool had_key_ = false;
};

TEST_F(LanguageSourceOnWindows, StoredCodeDecidesAndOddValuesFollowWindows) {
  const app::WindowsLanguageSource source;
  const std::uint16_t ui = source.user_ui_langid();
  EXPECT_EQ(ui, GetUserDefaultUILanguage());

  EXPECT_EQ(source.stored_language(), std::nullopt);
  const std::string_view following_windows = choose_language(std::nullopt, ui);

  store_text(L"de");
  EXPECT_EQ(source.stored_language(), std::optional<std::string>("de"));
  EXPECT_EQ(choose_language(source.stored_language(), ui), "de");

  store_text(L"zh-Hant");
  EXPECT_EQ(choose_language(source.stored_language(), ui), "zh-Hant");

  // "Follow Windows" stores an empty text; a code in the wrong case is no code.
  for (const wchar_t* text : {L"", L"DE", L"it"}) {
    store_text(text);
    EXPECT_EQ(choose_language(source.stored_language(), ui), following_windows);
  }

  const DWORD number = 7;
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Language", REG_DWORD, &number,
                            sizeof number),
            ERROR_SUCCESS);
  EXPECT_EQ(source.stored_language(), std::nullopt);
}

}  // namespace
}  // namespace kestro

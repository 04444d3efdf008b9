// The settings against Wine's registry: round trips, values of the wrong type or size,
// texts stored without or with extra NULs, and removal of the whole key.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/settings/settings.h"
#include "app/settings/settings_registry_win32.h"
#include "base/registry_win32.h"

namespace kestro::app {
namespace {

// Writes a value with any type and any bytes, as another program (or damage) might.
LSTATUS raw_set(const std::string& subkey, const wchar_t* name, DWORD type, const void* data,
                DWORD bytes) {
  const std::wstring key(subkey.begin(), subkey.end());
  return RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, type, data, bytes);
}

bool key_exists(const std::string& subkey) {
  const std::wstring key(subkey.begin(), subkey.end());
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(handle);
  return true;
}

// Each test gets its own scratch key below HKEY_CURRENT_USER, removed afterwards.
class SettingsRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    subkey_ = "Software\\KestroTest-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(counter++);
    delete_registry_tree(HKEY_CURRENT_USER, subkey_);
  }
  void TearDown() override { delete_registry_tree(HKEY_CURRENT_USER, subkey_); }

  std::string subkey_;
  RegistrySettings settings() const { return RegistrySettings{subkey_}; }
};

TEST_F(SettingsRegistry, TextRoundTrips) {
  const std::string texts[] = {
      "",
      "en",
      "zh-Hant",
      "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4",       // 한국어
      "\xF0\x9F\x98\x80 emoji \xF0\x9F\x87\xB0\xF0\x9F\x87\xB7",  // 😀 emoji 🇰🇷
      std::string(5000, 'x') + "\xEC\x96\xB4",  // longer than any first guess of a buffer
  };
  auto store = settings();
  for (const std::string& text : texts) {
    store.write_text(kLanguageValue, text);
    EXPECT_EQ(store.read_text(kLanguageValue), text) << text.size() << " bytes";
  }
  // The stored byte count includes exactly one terminating NUL.
  store.write_text(kLastUpdateCheckValue, "123");
  DWORD type = 0;
  DWORD bytes = 0;
  const std::wstring key(subkey_.begin(), subkey_.end());
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"LastUpdateCheck", RRF_RT_ANY, &type,
                         nullptr, &bytes),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bytes, 8u);
}

TEST_F(SettingsRegistry, MissingValuesAndKeyReadAsNothing) {
  auto store = settings();
  EXPECT_FALSE(key_exists(subkey_));
  EXPECT_FALSE(store.read_text(kLanguageValue).has_value());
  EXPECT_FALSE(store.read_auto_update().has_value());
  EXPECT_FALSE(store.read_placement().has_value());
  store.write_text(kLanguageValue, "de");  // the first write creates the key
  EXPECT_TRUE(key_exists(subkey_));
  EXPECT_FALSE(store.read_text(kLastUpdateCheckValue).has_value());
  EXPECT_FALSE(store.read_auto_update().has_value());
  EXPECT_FALSE(store.read_placement().has_value());
}

TEST_F(SettingsRegistry, NumberRoundTrips) {
  auto store = settings();
  for (std::uint32_t value : {0u, 1u, 2u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    store.write_number(kAutoUpdateValue, value);
    EXPECT_EQ(store.read_auto_update(), value);
  }
  store.write_number(kAutoUpdateValue, toggled_auto_update(store.read_auto_update()));
  EXPECT_EQ(store.read_auto_update(), 0u);
  store.write_number(kAutoUpdateValue, toggled_auto_update(store.read_auto_update()));
  EXPECT_EQ(store.read_auto_update(), 1u);
}

TEST_F(SettingsRegistry, ValuesOfAnotherTypeCountAsAbsent) {
  auto store = settings();
  const wchar_t zero_text[] = L"0";
  ASSERT_EQ(raw_set(subkey_, L"AutoUpdate", REG_SZ, zero_text, sizeof(zero_text)), ERROR_SUCCESS);
  EXPECT_FALSE(store.read_auto_update().has_value());
  EXPECT_TRUE(auto_update_enabled(store.read_auto_update()));

  const std::uint8_t four_zero_bytes[4] = {};
  ASSERT_EQ(raw_set(subkey_, L"AutoUpdate", REG_BINARY, four_zero_bytes, 4), ERROR_SUCCESS);
  EXPECT_FALSE(store.read_auto_update().has_value());

  const DWORD language = 0x0412;
  ASSERT_EQ(raw_set(subkey_, L"Language", REG_DWORD, &language, sizeof(language)), ERROR_SUCCESS);
  EXPECT_FALSE(store.read_text(kLanguageValue).has_value());

  const wchar_t expandable[] = L"%SystemRoot%";
  ASSERT_EQ(raw_set(subkey_, L"Language", REG_EXPAND_SZ, expandable, sizeof(expandable)),
            ERROR_SUCCESS);
  EXPECT_FALSE(store.read_text(kLanguageValue).has_value());

  ASSERT_EQ(raw_set(subkey_, L"Placement", REG_SZ, zero_text, sizeof(zero_text)), ERROR_SUCCESS);
  EXPECT_FALSE(store.read_placement().has_value());

  const std::uint8_t digits[] = {'1', '2', 0};
  ASSERT_EQ(raw_set(subkey_, L"LastUpdateCheck", REG_BINARY, digits, sizeof(digits)),
            ERROR_SUCCESS);
  EXPECT_EQ(parse_last_update_check(store.read_text(kLastUpdateCheckValue)), 0u);
}

TEST_F(SettingsRegistry, TextsAreReadUpToTheFirstNul) {
  struct Case {
    const char* what;
    std::vector<wchar_t> units;  // stored exactly, no terminator added
    DWORD extra_byte;            // 1: an odd byte count
    std::string expected;
  };
  const Case cases[] = {
      {"no terminator", {L'a', L'b', L'c'}, 0, "abc"},
      {"embedded NUL", {L'a', L'b', L'\0', L'c', L'd', L'\0'}, 0, "ab"},
      {"only NUL", {L'\0'}, 0, ""},
      {"no bytes at all", {}, 0, ""},
      {"odd byte count", {L'k', L'o', L'\0'}, 1, "ko"},
      {"unpaired surrogate", {L'a', static_cast<wchar_t>(0xD83D), L'b', L'\0'}, 0,
       "a\xEF\xBF\xBD" "b"},
      {"reversed pair", {static_cast<wchar_t>(0xDE00), static_cast<wchar_t>(0xD83D), L'\0'}, 0,
       "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  auto store = settings();
  for (const auto& c : cases) {
    std::vector<wchar_t> data = c.units;
    data.push_back(L'z');  // source of the odd extra byte; not part of the stored value otherwise
    const DWORD bytes = static_cast<DWORD>(c.units.size() * sizeof(wchar_t)) + c.extra_byte;
    ASSERT_EQ(raw_set(subkey_, L"Language", REG_SZ, data.data(), bytes), ERROR_SUCCESS) << c.what;
    EXPECT_EQ(store.read_text(kLanguageValue), c.expected) << c.what;
  }
}

std::vector<std::uint8_t> sample_placement(std::uint32_t show_cmd) {
  StoredPlacement placement;
  placement.length = 44;
  placement.flags = 2;
  placement.show_cmd = show_cmd;
  placement.min_x = placement.min_y = -1;
  placement.max_x = -8;
  placement.max_y = -31;
  placement.left = -1500;  // a monitor left of the primary one
  placement.top = 40;
  placement.right = -200;
  placement.bottom = 900;
  const auto bytes = encode_placement(placement);
  return {bytes.begin(), bytes.end()};
}

TEST_F(SettingsRegistry, PlacementBytesOfEverySizeComeBackExactly) {
  auto store = settings();
  const std::vector<std::uint8_t> full = sample_placement(3);
  for (std::size_t size : {0u, 1u, 43u, 44u, 45u, 200u}) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = i < full.size() ? full[i] : 0xA5;
    store.write_placement(bytes);
    const auto read = store.read_placement();
    ASSERT_TRUE(read.has_value()) << size;
    EXPECT_EQ(*read, bytes) << size;
    EXPECT_EQ(decode_placement(*read).has_value(), size == kPlacementSize) << size;
  }
}

TEST_F(SettingsRegistry, StoredPlacementRestoresMaximizedOrNormal) {
  auto store = settings();
  for (std::uint32_t show_cmd : {1u, 2u, 3u}) {
    store.write_placement(sample_placement(show_cmd));
    const auto read = store.read_placement();
    ASSERT_TRUE(read.has_value());
    auto placement = decode_placement(*read);
    ASSERT_TRUE(placement.has_value());
    EXPECT_EQ(placement->left, -1500);
    EXPECT_EQ(placement->bottom, 900);
    EXPECT_EQ(prepare_for_restore(*placement), show_cmd == 3 ? kShowMaximized : kShowNormal);
  }
}

TEST_F(SettingsRegistry, RemoveAllDeletesTheKeyWithEverything) {
  auto store = settings();
  store.write_text(kLanguageValue, "ko");
  store.write_text(kLastUpdateCheckValue, format_last_update_check(1733600000));
  store.write_number(kAutoUpdateValue, 0);
  store.write_placement(sample_placement(1));
  const DWORD one = 1;
  ASSERT_EQ(raw_set(subkey_ + "\\Leftover", L"x", REG_DWORD, &one, sizeof(one)), ERROR_SUCCESS);
  ASSERT_EQ(store.read_text(kLanguageValue), "ko");

  store.remove_all();
  EXPECT_FALSE(key_exists(subkey_));
  EXPECT_FALSE(store.read_text(kLanguageValue).has_value());
  EXPECT_FALSE(store.read_text(kLastUpdateCheckValue).has_value());
  EXPECT_FALSE(store.read_auto_update().has_value());
  EXPECT_FALSE(store.read_placement().has_value());
  // Back to first-start behaviour.
  EXPECT_TRUE(auto_update_enabled(store.read_auto_update()));
  EXPECT_EQ(parse_last_update_check(store.read_text(kLastUpdateCheckValue)), 0u);

  store.remove_all();  // a missing key is harmless
  EXPECT_FALSE(key_exists(subkey_));
  EXPECT_TRUE(key_exists("Software"));
}

TEST_F(SettingsRegistry, EmptyKeyPathNeverDeletesTheHive) {
  RegistrySettings{""}.remove_all();
  EXPECT_TRUE(key_exists("Software"));
  EXPECT_FALSE(delete_registry_tree(HKEY_CURRENT_USER, ""));
}

// The real key of the program, once (the test prefix is private to the build).
TEST(SettingsRegistryDefaultKey, UsesHkcuSoftwareKestro) {
  RegistrySettings store;
  store.remove_all();
  store.write_text(kLanguageValue, "ja");
  store.write_number(kAutoUpdateValue, 0);

  wchar_t text[8] = {};
  DWORD bytes = sizeof(text);
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Kestro", L"Language", RRF_RT_REG_SZ,
                         nullptr, text, &bytes),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text), L"ja");
  DWORD flag = 7;
  bytes = sizeof(flag);
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Kestro", L"AutoUpdate",
                         RRF_RT_REG_DWORD, nullptr, &flag, &bytes),
            ERROR_SUCCESS);
  EXPECT_EQ(flag, 0u);
  EXPECT_EQ(read_registry_text(HKEY_CURRENT_USER, "Software\\Kestro", "Language"), "ja");

  store.remove_all();
  EXPECT_FALSE(key_exists("Software\\Kestro"));
}

// The generic helpers on another hive, as the Windows version reads use them.
TEST(RegistryHelpers, ReadMachineValues) {
  const auto build = read_registry_text(
      HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", "CurrentBuild");
  ASSERT_TRUE(build.has_value());
  EXPECT_FALSE(build->empty());
  EXPECT_FALSE(read_registry_dword(HKEY_LOCAL_MACHINE,
                                   "Software\\Microsoft\\Windows NT\\CurrentVersion",
                                   "CurrentBuild")
                   .has_value());
  EXPECT_FALSE(read_registry_text(HKEY_LOCAL_MACHINE, "Software\\NoSuchKey-Kestro", "x"));
}

}  // namespace
}  // namespace kestro::app

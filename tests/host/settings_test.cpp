// Rules that turn stored settings into effective ones.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/settings/settings.h"

namespace kestro::app {
namespace {

struct LastCheckCase {
  std::optional<std::string> text;
  std::uint64_t seconds;
};

TEST(LastUpdateCheck, ParsesOnlyPlainUnsignedDecimals) {
  const LastCheckCase cases[] = {
      {std::nullopt, 0},
      {"", 0},
      {"1733600000", 1733600000},
      {"+123", 123},
      {"0", 0},
      {"0001", 1},  // leading zeros are still a plain decimal number
      {"+", 0},
      {"++1", 0},
      {"-1", 0},
      {"-0", 0},
      {" 1", 0},
      {"1 ", 0},
      {"\t1", 0},
      {"1\n", 0},
      {"+ 1", 0},
      {"abc", 0},
      {"12a", 0},
      {"1.5", 0},
      {"0x10", 0},
      {"\xEF\xBC\x91", 0},  // full-width digit one
      {"18446744073709551615", 18446744073709551615ull},
      {"18446744073709551616", 0},  // one beyond 64 bits
      {"99999999999999999999999", 0},
      {"000000000000000000000000007", 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parse_last_update_check(c.text), c.seconds) << '"' << c.text.value_or("<none>") << '"';
  }
}

TEST(LastUpdateCheck, FormatIsReadBackUnchanged) {
  for (std::uint64_t seconds : {0ull, 1ull, 1733600000ull, 18446744073709551615ull}) {
    const std::string text = format_last_update_check(seconds);
    EXPECT_EQ(parse_last_update_check(text), seconds);
    EXPECT_TRUE(text == "0" || text.front() != '0') << text;
  }
  EXPECT_EQ(format_last_update_check(1733600000), "1733600000");
}

TEST(AutoUpdate, OnUnlessStoredZeroAndToggleWritesTheOpposite) {
  struct Case {
    std::optional<std::uint32_t> stored;
    bool enabled;
    std::uint32_t toggled;
  };
  const Case cases[] = {
      {std::nullopt, true, 0},
      {0u, false, 1},
      {1u, true, 0},
      {2u, true, 0},
      {0xFFFFFFFFu, true, 0},
  };
  for (const auto& c : cases) {
    const std::string what = c.stored ? std::to_string(*c.stored) : "absent";
    EXPECT_EQ(auto_update_enabled(c.stored), c.enabled) << what;
    EXPECT_EQ(toggled_auto_update(c.stored), c.toggled) << what;
    // Toggling twice comes back to the same effective setting.
    EXPECT_EQ(auto_update_enabled(toggled_auto_update(toggled_auto_update(c.stored))), c.enabled)
        << what;
  }
}

std::vector<std::uint8_t> placement_bytes(std::uint32_t show_cmd) {
  // length 44, flags 2, show command, min (-1,-1), max (-8,-31), normal (100,50)-(1180,970),
  // as GetWindowPlacement stores them, little-endian.
  std::vector<std::uint8_t> bytes = {
      44, 0, 0, 0,  2, 0, 0, 0,  static_cast<std::uint8_t>(show_cmd), 0, 0, 0,
      0xFF, 0xFF, 0xFF, 0xFF,  0xFF, 0xFF, 0xFF, 0xFF,
      0xF8, 0xFF, 0xFF, 0xFF,  0xE1, 0xFF, 0xFF, 0xFF,
      100, 0, 0, 0,  50, 0, 0, 0,  0x9C, 0x04, 0, 0,  0xCA, 0x03, 0, 0,
  };
  return bytes;
}

TEST(Placement, DecodesOnlyExactly44Bytes) {
  const std::vector<std::uint8_t> full = placement_bytes(1);
  for (std::size_t size : {0u, 1u, 40u, 43u, 45u, 48u, 88u}) {
    std::vector<std::uint8_t> bytes(size, 0);
    std::copy_n(full.begin(), std::min(size, full.size()), bytes.begin());
    EXPECT_FALSE(decode_placement(bytes).has_value()) << size << " bytes";
  }
  const auto placement = decode_placement(full);
  ASSERT_TRUE(placement.has_value());
  EXPECT_EQ(placement->length, 44u);
  EXPECT_EQ(placement->flags, 2u);
  EXPECT_EQ(placement->show_cmd, 1u);
  EXPECT_EQ(placement->min_x, -1);
  EXPECT_EQ(placement->min_y, -1);
  EXPECT_EQ(placement->max_x, -8);
  EXPECT_EQ(placement->max_y, -31);
  EXPECT_EQ(placement->left, 100);
  EXPECT_EQ(placement->top, 50);
  EXPECT_EQ(placement->right, 1180);
  EXPECT_EQ(placement->bottom, 970);
}

TEST(Placement, EncodeIsTheExactInverseOfDecode) {
  const std::vector<std::uint8_t> stored = placement_bytes(3);
  const auto placement = decode_placement(stored);
  ASSERT_TRUE(placement.has_value());
  const auto bytes = encode_placement(*placement);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), stored);

  StoredPlacement extremes;
  extremes.length = 0xFFFFFFFFu;
  extremes.left = INT32_MIN;
  extremes.bottom = INT32_MAX;
  EXPECT_EQ(decode_placement(encode_placement(extremes)), extremes);
}

TEST(Placement, RestoreKeepsOnlyMaximizedAndHidesTheWindow) {
  struct Case {
    std::uint32_t stored_show_cmd;
    std::uint32_t show_command;
  };
  const Case cases[] = {
      {3, kShowMaximized},  // maximized
      {1, kShowNormal},     // normal
      {2, kShowNormal},     // minimized comes back as a normal window
      {7, kShowNormal},     // minimized without activation
      {0, kShowNormal},
  };
  for (const auto& c : cases) {
    auto placement = decode_placement(placement_bytes(c.stored_show_cmd));
    ASSERT_TRUE(placement.has_value());
    const StoredPlacement before = *placement;
    EXPECT_EQ(prepare_for_restore(*placement), c.show_command) << c.stored_show_cmd;
    EXPECT_EQ(placement->flags, 0u);
    EXPECT_EQ(placement->show_cmd, 0u);
    EXPECT_EQ(placement->length, 44u);
    // The positions are restored exactly as stored.
    StoredPlacement expected = before;
    expected.flags = 0;
    expected.show_cmd = 0;
    EXPECT_EQ(*placement, expected);
  }
}

TEST(Placement, RestoreRepairsADamagedLengthField) {
  std::vector<std::uint8_t> bytes = placement_bytes(3);
  bytes[0] = 40;
  auto placement = decode_placement(bytes);
  ASSERT_TRUE(placement.has_value());
  EXPECT_EQ(prepare_for_restore(*placement), kShowMaximized);
  EXPECT_EQ(placement->length, 44u);
}

}  // namespace
}  // namespace kestro::app

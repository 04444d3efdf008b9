#include "app/window/window_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kestro::app {
namespace {

TEST(WindowGeometry, MinimumTrackingSizeFollowsTheDpi) {
  struct Case {
    std::uint32_t dpi;
    Size32 expected;
  };
  const Case cases[] = {
      {96, {520, 420}},
      {120, {650, 525}},
      {144, {780, 630}},
      {72, {520, 420}},   // below 96 counts as 96
      {0, {520, 420}},
      {97, {525, 424}},   // 525.41…, 424.375 truncated
  };
  for (const Case& c : cases) EXPECT_EQ(min_track_size(c.dpi), c.expected) << c.dpi;
}

TEST(WindowGeometry, DefaultWindowIsCentredOnTheWorkArea) {
  struct Case {
    WindowRect work;
    std::uint32_t dpi;
    WindowRect expected;
  };
  const Case cases[] = {
      // 1080 × 1.5 = 1620 wide, 0.85 × 1040 = 884 high, at (150, 78) within the work area.
      {{0, 0, 1920, 1040}, 144, {150, 78, 1620, 884}},
      // Width limited to a 1280-wide work area: starts at its left edge.
      {{0, 0, 1280, 1000}, 144, {0, 75, 1280, 850}},
      // Work area with an origin (taskbar on the left/top); odd remainders halve down.
      {{60, 30, 1861, 1011}, 96, {450, 106, 1080, 859}},
      // Low DPI counts as 96.
      {{0, 0, 1920, 1080}, 48, {420, 81, 1080, 918}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(default_window_rect(c.work, c.dpi), c.expected)
        << c.work.width << "x" << c.work.height << " @" << c.dpi;
  }
}

TEST(WindowGeometry, TruncationSaturatesAndMapsNanToZero) {
  EXPECT_EQ(truncate_to_int32(std::nan("")), 0);
  EXPECT_EQ(truncate_to_int32(1e300), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(truncate_to_int32(-1e300), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(truncate_to_int32(883.99), 883);
  EXPECT_EQ(truncate_to_int32(-2.7), -2);
}

}  // namespace
}  // namespace kestro::app

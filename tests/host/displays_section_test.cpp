#include "probe/displays_section.h"

#include <gtest/gtest.h>

#include "i18n/translate.h"
#include "machine/recorded_machine.h"

namespace kestro::probe {
namespace {

constexpr std::uint32_t kSource = 1;
constexpr std::uint32_t kTarget = 2;

// The card's rows from raw answers, as a run makes them.
std::vector<Row> probe_displays(ProbePlatform& platform) {
  return display_rows(read_displays(platform));
}
std::vector<Row> display_rows(const DisplayConfig& config) {
  kestro::test::RecordedMachine platform;
  platform.displays = config;
  return probe_displays(platform);
}

DisplayPath path(std::uint32_t mode, std::uint32_t numerator, std::uint32_t denominator,
                 std::optional<std::string> name) {
  return DisplayPath{mode, numerator, denominator, std::move(name)};
}

class DisplayRowsTest : public ::testing::Test {
  ScopedLanguageOverride english_{"en"};
};

TEST_F(DisplayRowsTest, RefreshRateText) {
  struct Case {
    std::uint32_t numerator, denominator;
    std::string_view expected;
  };
  const Case cases[] = {
      {60000, 1000, "3840 \u00D7 2160 \u00B7 60 Hz"},
      {59940, 1000, "3840 \u00D7 2160 \u00B7 60 Hz"},
      {143856, 1000, "3840 \u00D7 2160 \u00B7 144 Hz"},
      {29970, 1000, "3840 \u00D7 2160 \u00B7 30 Hz"},
      {60500, 1000, "3840 \u00D7 2160 \u00B7 60 Hz"},  // exact half: to the even neighbour
      {61500, 1000, "3840 \u00D7 2160 \u00B7 62 Hz"},
      {60, 0, "3840 \u00D7 2160"},                     // no denominator: no rate at all
      {0, 1, "3840 \u00D7 2160"},
      {1, 4294967295u, "3840 \u00D7 2160 \u00B7 0 Hz"},  // tiny but above 0
  };
  for (const Case& c : cases) {
    const DisplayConfig config{{path(0, c.numerator, c.denominator, "DELL U2723QE")},
                               {{kSource, 3840, 2160}}};
    EXPECT_EQ(display_rows(config), std::vector<Row>{Row::plain("DELL U2723QE", std::string(c.expected))})
        << c.numerator << "/" << c.denominator;
  }
}

TEST_F(DisplayRowsTest, UnusablePathsAreDroppedAndNotNumbered) {
  const DisplayConfig config{
      {
          path(7, 60, 1, "Out of range"),
          path(0, 60, 1, std::nullopt),           // name query failed
          path(1, 60, 1, "Points at target"),
          path(2, 60, 1, "Zero width"),
          path(3, 60, 1, std::string()),          // empty friendly name
          path(4294967295u, 60, 1, "Huge index"),
          path(4, 60, 1, "Zero height"),
      },
      {{kSource, 1920, 1080}, {kTarget, 1920, 1080}, {kSource, 0, 1080}, {kSource, 2560, 1440},
       {kSource, 800, 0}}};
  const std::vector<Row> expected = {
      Row::plain("Monitor 1", "1920 \u00D7 1080 \u00B7 60 Hz"),
      Row::plain("Monitor 2", "2560 \u00D7 1440 \u00B7 60 Hz"),
      Row::plain("Zero height", "800 \u00D7 0 \u00B7 60 Hz"),
  };
  EXPECT_EQ(display_rows(config), expected);
}

TEST_F(DisplayRowsTest, CloneModeGivesTwoRowsAndNamesKeepTheirPlace) {
  const DisplayConfig config{{path(0, 0, 0, std::nullopt), path(0, 0, 0, "LG TV")},
                             {{kSource, 1920, 1080}}};
  EXPECT_EQ(display_rows(config), (std::vector<Row>{Row::plain("Monitor 1", "1920 \u00D7 1080"),
                                                    Row::plain("LG TV", "1920 \u00D7 1080")}));
}

TEST_F(DisplayRowsTest, ProbeReadsTheConfiguration) {
  kestro::test::RecordedMachine platform;
  EXPECT_TRUE(probe_displays(platform).empty());  // configuration query failed
  platform.displays = DisplayConfig{};
  EXPECT_TRUE(probe_displays(platform).empty());
  platform.displays = DisplayConfig{{path(0, 0, 1, "Display1")}, {{kSource, 1024, 768}}};
  EXPECT_EQ(probe_displays(platform), std::vector<Row>{Row::plain("Display1", "1024 \u00D7 768")});
}

TEST(DisplayRowsKorean, FallbackLabelUsesTranslatedWord) {
  ScopedLanguageOverride korean("ko");
  const DisplayConfig config{{path(0, 60, 1, std::nullopt)}, {{kSource, 1920, 1200}}};
  EXPECT_EQ(display_rows(config), std::vector<Row>{Row::plain("모니터 1", "1920 \u00D7 1200 \u00B7 60 Hz")});
}

}  // namespace
}  // namespace kestro::probe

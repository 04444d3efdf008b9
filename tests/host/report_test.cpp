#include "probe/report.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

TEST(DisplayText, FollowsValueAndBadge) {
  struct Case {
    Row row;
    std::string expected;
  };
  const Case cases[] = {
      {Row::status("Activation", "Activated", Tone::Good), "Activated"},
      {Row{"Disk", "Samsung", Tone::Good, std::string("Healthy"), std::nullopt}, "Samsung (Healthy)"},
      {Row::toned_gauge("Life left", "87%", Tone::Good, 0.87f), "87%"},
      {Row::plain("Model", "Z15"), "Z15"},
      {Row::plain("Model", ""), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(display_text(c.row), c.expected) << c.row.label;
}

TEST(NeedsAdmin, OnlyWhenNotElevatedWithDisksAndNoCounters) {
  const std::vector<ReliabilityPresence> none;
  const std::vector<ReliabilityPresence> hours_only = {{false, false}};
  const std::vector<ReliabilityPresence> with_temperature = {{false, false}, {true, false}};
  const std::vector<ReliabilityPresence> with_wear = {{false, true}};
  EXPECT_TRUE(needs_admin_rule(false, 1, none));
  EXPECT_TRUE(needs_admin_rule(false, 1, hours_only));
  EXPECT_FALSE(needs_admin_rule(true, 1, none));
  EXPECT_FALSE(needs_admin_rule(false, 0, none));
  EXPECT_FALSE(needs_admin_rule(false, 2, with_temperature));
  EXPECT_FALSE(needs_admin_rule(false, 1, with_wear));
}

TEST(SectionKinds, HeadingsIconsAndOrder) {
  EXPECT_EQ(section_heading(SectionKind::Storage).en, "Storage");
  EXPECT_EQ(section_heading(SectionKind::Windows).ko, "운영체제");
  EXPECT_EQ(section_icon(SectionKind::Summary), "\uE8A1");
  EXPECT_EQ(section_icon(SectionKind::Battery), "\uE83F");
  EXPECT_EQ(kSectionOrder.front(), SectionKind::Summary);
  EXPECT_EQ(kSectionOrder.back(), SectionKind::System);
  EXPECT_EQ(static_cast<int>(SectionKind::Battery), 8);
  EXPECT_EQ(tone_colour(Tone::Warning), (Rgb{0xD9, 0x77, 0x06}));
}

}  // namespace
}  // namespace kestro

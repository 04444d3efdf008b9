#include "probe/report.h"

#include <gtest/gtest.h>

#include "probe/section_registry.h"

namespace kestro {
namespace {

TEST(DisplayText, FollowsValueAndBadge) {
  struct Case {
    Row row;
    std::string expected;
  };
  const Case cases[] = {
      {Row::status("Activation", "Activated", Tone::Good), "Activated"},
      {Row{"Windows 11", "Processor, TPM 2.0", Tone::Warning, std::string("Not ready"), std::nullopt},
       "Not ready (Processor, TPM 2.0)"},
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

TEST(SectionKinds, HeadingsAndCardOrder) {
  std::vector<SectionKind> order;
  for (const probe::SectionEntry& section : probe::section_registry()) {
    order.push_back(section.kind);
    if (section.kind == SectionKind::Storage) EXPECT_EQ(section.heading.en, "Storage");
    if (section.kind == SectionKind::Windows) EXPECT_EQ(section.heading.ko, "운영체제");
  }
  EXPECT_EQ(order, (std::vector<SectionKind>{SectionKind::Summary, SectionKind::Processor,
                                             SectionKind::Memory, SectionKind::Graphics,
                                             SectionKind::Storage, SectionKind::Displays,
                                             SectionKind::Battery, SectionKind::Windows,
                                             SectionKind::Security, SectionKind::System}));
  EXPECT_EQ(static_cast<int>(SectionKind::Battery), 8);
}

}  // namespace
}  // namespace kestro

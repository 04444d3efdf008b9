#include "app/view/text_report.h"

#include <gtest/gtest.h>

#include "app/command_line.h"

namespace kestro::app {
namespace {

const std::string kFooter = "\n\u2014 Kestro 0.1.0 \u00B7 https://lumwerk.example/Kestro/\n";

Section section(std::string title, std::vector<Row> rows) {
  return Section{std::move(title), std::move(rows), SectionKind::Summary};
}

TEST(PlainTextReport, LinesForTitleSectionsRowsAndFooter) {
  struct Case {
    const char* name;
    Report report;
    std::string expected;
  };
  const Case cases[] = {
      {"two rows", {"T", "sub", {section("S", {Row::plain("A", "1"), Row::plain("B", "2")})}},
       "T\n\n[S]\nA: 1\nB: 2\n" + kFooter},
      {"no sections", {"T", "", {}}, "T\n" + kFooter},
      {"empty section keeps heading", {"T", "", {section("Empty", {}), section("X", {Row::plain("a", "b")})}},
       "T\n\n[Empty]\n\n[X]\na: b\n" + kFooter},
      {"status row shows its badge",
       {"T", "", {section("Storage", {Row::status("Health", "Healthy", Tone::Good)})}},
       "T\n\n[Storage]\nHealth: Healthy\n" + kFooter},
      {"value and badge", {"T", "", {section("S", {Row{"Disk", "Samsung", Tone::Bad, std::string("Caution"), 0.5f}})}},
       "T\n\n[S]\nDisk: Caution (Samsung)\n" + kFooter},
      {"gauge with empty badge",
       {"T", "", {section("S", {Row::toned_gauge("Life left", "87%", Tone::Good, 0.87f)})}},
       "T\n\n[S]\nLife left: 87%\n" + kFooter},
      {"texts copied verbatim",
       {"요약 PC", "", {section("[x]", {Row::plain("  a:b ", " v\tw "), Row::plain("", "")})}},
       "요약 PC\n\n[[x]]\n  a:b :  v\tw \n: \n" + kFooter},
  };
  for (const Case& c : cases) EXPECT_EQ(plain_text_report(c.report), c.expected) << c.name;
}

TEST(PlainTextReport, SubtitleIsNotCopied) {
  const Report report{"Title", "Windows 11 Pro 24H2", {}};
  EXPECT_EQ(plain_text_report(report).find("Windows 11"), std::string::npos);
}

TEST(ValueLine, LabelColonDisplayTextWithoutLineEnd) {
  EXPECT_EQ(value_line(Row::plain("Model", "Z15")), "Model: Z15");
  EXPECT_EQ(value_line(Row::status("Activation", "Activated", Tone::Good)), "Activation: Activated");
  EXPECT_EQ(value_line(Row::plain("Model", "")), "Model: ");
}

TEST(ValueLine, ALabelEndingInAColonGetsNoSecondOne) {
  const Row drive = Row::gauge_row("Drive C:", "371 GB used of 499 GB", 0.74f);
  EXPECT_EQ(value_line(drive), "Drive C: 371 GB used of 499 GB");
  EXPECT_EQ(value_line(Row::plain("C: 드라이브", "371 GB")), "C: 드라이브: 371 GB");
  EXPECT_EQ(value_line(Row::plain("Time\uFF1A", "x")), "Time\uFF1A: x");  // ASCII colon only
  EXPECT_EQ(plain_text_report({"T", "", {section("Storage", {drive})}}),
            "T\n\n[Storage]\nDrive C: 371 GB used of 499 GB\n" + kFooter);
}

TEST(ToCrlf, EveryLineFeedGetsOneCarriageReturn) {
  struct Case {
    std::string_view in;
    std::string_view out;
  };
  const Case cases[] = {
      {"", ""},
      {"abc", "abc"},
      {"\n", "\r\n"},
      {"a\nb\n", "a\r\nb\r\n"},
      {"\n\n", "\r\n\r\n"},
      {"x\ry", "x\ry"},          // a lone CR is left alone
      {"\u2014 \u00B7\n", "\u2014 \u00B7\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(to_crlf(c.in), c.out) << c.in;
}

TEST(ToCrlf, WholeReportHasNoBareLineFeedAndNoDoubledReturn) {
  const Report report{"T", "", {section("Summary", {Row::plain("CPU", "x")}), section("Memory", {})}};
  const std::string text = to_crlf(plain_text_report(report));
  EXPECT_EQ(text.find("\r\r"), std::string::npos);
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    ASSERT_GT(at, 0u);
    EXPECT_EQ(text[at - 1], '\r') << at;
  }
  EXPECT_TRUE(text.ends_with("https://lumwerk.example/Kestro/\r\n"));
  EXPECT_TRUE(text.starts_with("T\r\n\r\n[Summary]\r\n"));
}

TEST(CommandLine, SwitchesMatchOnlyExactly) {
  struct Case {
    std::vector<std::string> args;
    bool unregister;
    bool report;
    bool json;
  };
  const Case cases[] = {
      {{"Kestro.exe"}, false, false, false},
      {{"Kestro.exe", "--unregister"}, true, false, false},
      {{"Kestro.exe", "x", "--unregister", "y"}, true, false, false},
      {{"--unregister"}, true, false, false},  // the program name counts too
      {{"Kestro.exe", "--Unregister"}, false, false, false},
      {{"Kestro.exe", "--unregister "}, false, false, false},
      {{"Kestro.exe", "--unregisterx"}, false, false, false},
      {{"Kestro.exe", "-unregister"}, false, false, false},
      {{"Kestro.exe", "--report"}, false, true, false},
      {{"Kestro.exe", "--REPORT", "--reports"}, false, false, false},
      {{"Kestro.exe", "--report", "--unregister"}, true, true, false},
      {{"Kestro.exe", "--json"}, false, false, true},
      {{"Kestro.exe", "--JSON", "-json", "--json=1"}, false, false, false},
      {{}, false, false, false},
  };
  for (const Case& c : cases) {
    const std::string joined = c.args.empty() ? "" : c.args.back();
    EXPECT_EQ(has_unregister_switch(c.args), c.unregister) << joined;
    EXPECT_EQ(has_report_switch(c.args), c.report) << joined;
    EXPECT_EQ(has_json_switch(c.args), c.json) << joined;
  }
}

}  // namespace
}  // namespace kestro::app

#include "probe/system_section.h"

#include <gtest/gtest.h>

#include <tuple>

#include "i18n/translate.h"
#include "machine/test_machines.h"
#include "probe/text_case.h"

namespace kestro::probe {
namespace {

using test::kCimv2;
using test::RecordedMachine;
using test::row;
using wmi::WmiResult;
using wmi::WmiRows;

// The facts of the four queries' answers, read through the run's CIMV2 session.
SystemFacts system_facts(const WmiResult& computer, const WmiResult& board, const WmiResult& bios,
                         const WmiResult& product = std::nullopt) {
  RecordedMachine machine;
  machine.record(kCimv2, "Win32_ComputerSystem", test::kComputerProperties, computer);
  machine.record(kCimv2, "Win32_BaseBoard", test::kBoardProperties, board);
  machine.record(kCimv2, "Win32_BIOS", test::kBiosProperties, bios);
  machine.record(kCimv2, "Win32_ComputerSystemProduct", test::kProductProperties, product);
  return read_system(machine.connect(kCimv2).get(), machine);
}

// The uptime row closes the System card.
Row uptime_row(std::uint64_t milliseconds) {
  SystemFacts facts;
  facts.uptime_ms = milliseconds;
  return system_rows(facts).back();
}
std::string uptime_text(std::uint64_t milliseconds) { return uptime_row(milliseconds).value; }

struct TitleCase {
  std::string maker;
  std::string model;
  std::string board;
  std::string title;
  std::vector<std::string> labels;  // System rows before BIOS and uptime
};

TEST(SystemTitle, FollowsMakerModelBoardFallbacks) {
  ScopedLanguageOverride en("en");
  const std::vector<TitleCase> cases = {
      {"Acme", "Z15", "", "Acme Z15", {"Manufacturer", "Model"}},
      {"ACME", "Acme Z15", "", "Acme Z15", {"Manufacturer", "Model"}},
      {"System manufacturer", "System Product Name", "Acme Boards B450", "Acme Boards B450",
       {"Motherboard"}},
      {"To Be Filled By O.E.M.", "B550M", "", "B550M", {}},
      {"", "", "", "This PC", {}},
      // A real maker with a placeholder model: the board names the machine.
      {"Acme", "Default string", "Acme Boards X1", "Acme Boards X1",
       {"Manufacturer", "Motherboard"}},
      {"Acme", "Default string", "", "This PC", {"Manufacturer"}},
      // Non-ASCII makers are compared lower-cased too.
      {"ÉCLAIR", "Éclair Book 3", "", "Éclair Book 3", {"Manufacturer", "Model"}},
      {"ΣΟΦΟΣ", "Σοφος 7", "", "Σοφος 7", {"Manufacturer", "Model"}},  // final sigma
      {"ΑΛΦΑ", "Άλφα Z1", "", "ΑΛΦΑ Άλφα Z1", {"Manufacturer", "Model"}},  // accents count
      {"ТЕХНО", "Техно Т1", "", "Техно Т1", {"Manufacturer", "Model"}},
  };
  for (const TitleCase& c : cases) {
    SystemFacts facts;
    facts.manufacturer = c.maker;
    facts.model = c.model;
    facts.board = c.board;
    EXPECT_EQ(report_title(facts), c.title) << c.maker << " / " << c.model;
    std::vector<std::string> labels;
    for (const Row& r : system_rows(facts)) labels.push_back(r.label);
    EXPECT_EQ(labels.back(), "Up for");  // the uptime always closes the card
    labels.pop_back();
    EXPECT_EQ(labels, c.labels) << c.maker << " / " << c.model;
  }
}

TEST(SystemTitle, LenovoModelsByName) {
  ScopedLanguageOverride en("en");
  const auto version = [](wmi::WmiValue v) { return WmiResult(WmiRows{row({v})}); };
  const std::vector<std::tuple<std::string, std::string, WmiResult, std::string, std::string>>
      cases = {  // maker, model, product Version, title, Model row
          {"LENOVO", "20HGS0001P", version("ThinkPad T470s"), "LENOVO ThinkPad T470s",
           "ThinkPad T470s (20HGS0001P)"},
          {"Lenovo", "20XY", version("Lenovo IdeaPad 5"), "Lenovo IdeaPad 5", "Lenovo IdeaPad 5 (20XY)"},
          {"LENOVO", "ThinkPad T14", version("ThinkPad T14"), "LENOVO ThinkPad T14", "ThinkPad T14"},
          {"LENOVO", "To be filled by O.E.M.", version("ThinkPad X1"), "LENOVO ThinkPad X1", "ThinkPad X1"},
          {"LENOVO", "20HG", std::nullopt, "LENOVO 20HG", "20HG"},  // query failed
          {"LENOVO", "20HG", version("Default string"), "LENOVO 20HG", "20HG"},
          {"Acme", "Z15", version("Z15 Pro"), "Acme Z15", "Z15"},
      };
  for (const auto& [maker, model, product, title, model_row] : cases) {
    const SystemFacts facts = system_facts(WmiRows{row({maker, model})}, {}, {}, product);
    EXPECT_EQ(report_title(facts), title) << maker << " / " << model;
    EXPECT_EQ(system_rows(facts).at(1), Row::plain("Model", model_row)) << maker << " / " << model;
  }
}

TEST(SystemTitle, KoreanFallbackTitle) {
  ScopedLanguageOverride ko("ko");
  EXPECT_EQ(report_title(SystemFacts{}), "이 PC");
}

TEST(LowerCase, CoversTheWrittenOutScripts) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"ACME z15", "acme z15"},
      {"ÀÉÎÕÜ×Þ", "àéîõü×þ"},
      {"ŁÓDŹ ŸĲ", "łódź ÿĳ"},
      {"İ", "i\u0307"},
      {"ΟΔΟΣ ΣΑ", "οδος σα"},  // final sigma only at the end of a word
      {"МОСКВА Ё", "москва ё"},
      {"ＡＢＣ", "ａｂｃ"},
      {"한국 ÄB", "한국 äb"},
      {std::string("A\xFF" "B", 3), std::string("a\xFF" "b", 3)},  // stray byte passes through
  };
  for (const auto& [input, expected] : cases) EXPECT_EQ(lower_case(input), expected) << input;
}

TEST(SystemFacts, TakeTheFirstRowOfEachQuery) {
  const WmiResult computer = WmiRows{row({"Acme", "Z15", "17054318592", "2"}),
                                     row({"Other", "Row", "1", "1"})};
  const WmiResult board = WmiRows{row({"Acme Boards", std::nullopt})};
  const WmiResult bios = WmiRows{row({"1.21.0", "20230412000000.000000+000", "Acme"})};
  const SystemFacts facts = system_facts(computer, board, bios);
  EXPECT_EQ(facts.manufacturer, "Acme");
  EXPECT_EQ(facts.model, "Z15");
  EXPECT_EQ(facts.usable_memory, 17054318592u);
  EXPECT_EQ(facts.board, "Acme Boards");  // the missing product leaves no trailing space
  ASSERT_TRUE(facts.bios);

  const SystemFacts none = system_facts(std::nullopt, WmiRows{}, std::nullopt);
  EXPECT_EQ(none.manufacturer, "");
  EXPECT_EQ(none.usable_memory, 0u);
  EXPECT_EQ(none.board, "");
  EXPECT_FALSE(none.bios);

  // Odd recorded memory figures count as 0.
  for (const char* odd : {"-5", "nan", "lots", "  "}) {
    EXPECT_EQ(system_facts(WmiRows{row({"A", "B", odd})}, {}, {}).usable_memory, 0u) << odd;
  }
}

TEST(SystemRows, BiosValueForms) {
  ScopedLanguageOverride en("en");
  struct Case {
    wmi::WmiValue version;
    wmi::WmiValue date;
    std::string value;
  };
  const std::vector<Case> cases = {
      {"1.21.0", "20230412000000.000000+000", "1.21.0 (2023-04-12)"},
      {std::nullopt, "20230412", " (2023-04-12)"},
      {"1.21.0", std::nullopt, "1.21.0"},
      {"1.21.0", "2023-04-12", "1.21.0"},
      {std::nullopt, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    const SystemFacts facts = system_facts(WmiRows{row({"Acme"})}, {}, WmiRows{row({c.version, c.date})});
    const std::vector<Row> rows = system_rows(facts);
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[rows.size() - 2], Row::plain("BIOS", c.value));
  }
}

TEST(Uptime, DaysHoursMinutes) {
  {
    ScopedLanguageOverride en("en");
    const std::vector<std::pair<std::uint64_t, std::string>> cases = {
        {90061000, "1 d 1 h 1 min"},
        {0, "0 d 0 h 0 min"},
        {(3 * 60 + 5) * 60000 + 59999, "0 d 3 h 5 min"},  // seconds are dropped, not rounded
        {86399999, "0 d 23 h 59 min"},
        {18446744073709551615u, "213503982334 d 14 h 25 min"},
    };
    for (const auto& [ms, text] : cases) EXPECT_EQ(uptime_text(ms), text) << ms;
    EXPECT_EQ(uptime_row(90061000), Row::plain("Up for", "1 d 1 h 1 min"));
  }
  ScopedLanguageOverride ko("ko");
  EXPECT_EQ(uptime_row(90061000), Row::plain("켜진 지", "1일 1시간 1분"));
}

}  // namespace
}  // namespace kestro::probe

// Real PCs, recorded as the raw values the probe reads, against their reviewed report and
// JSON document.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "app/view/text_report.h"
#include "base/utf16.h"
#include "i18n/language.h"
#include "i18n/translate.h"
#include "machine/recorded_machine.h"
#include "probe/json_document.h"
#include "probe/run_probe.h"

namespace kestro::test {
namespace {

std::string read_file(const std::string& path) {
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  return content.str();
}

// Compares `actual` with the reviewed file `name` + `suffix`; on a difference the whole text
// goes into a file of its own, to compare with the reviewed one line by line.
void expect_reviewed(const std::string& name, const std::string& suffix, const std::string& actual,
                     std::string_view language) {
  const std::string reviewed = std::string(KESTRO_MACHINES_DIR) + "/" + name + suffix;
  if (actual == read_file(reviewed)) return;
  const std::string kept = ::testing::TempDir() + name + "." + std::string(language) + suffix;
  std::ofstream(kept, std::ios::binary) << actual;
  ADD_FAILURE() << reviewed << " differs in " << language << "; the output is in " << kept;
}

// A character no text of a report or document may carry: a control character (but the line
// feeds the report is made of), a line or paragraph separator, or an invisible format character. Nothing when there is none.
std::optional<char32_t> hostile_character(std::string_view utf8, bool line_feeds) {
  const std::u16string units = to_utf16(utf8);
  for (const char16_t c : units) {
    if (c == u'\n' && line_feeds) continue;
    if (c <= 0x1F || (c >= 0x7F && c <= 0x9F) || c == 0x061C || (c >= 0x200B && c <= 0x200F) ||
        (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF || c == 0x00AD ||
        c == 0x180E || (c >= 0xFFF9 && c <= 0xFFFB)) {
      return c;
    }
  }
  return std::nullopt;
}

// The English report, and the same document in every interface language. The made-up
// hostile-texts machine writes every kind of hostile character into every text it can: its
// report holds only the lines of its own sections and rows, and neither it nor the document
// carries any of them (JSON would write a control character as an escape).
TEST(RecordedPcs, ReportsAndDocumentsMatchTheReviewedOnes) {
  for (const std::string name : {"thinkpad-t470s", "gigabyte-haswell-gtx950", "msi-gf63-thin-11uc",
                                 "dell-latitude-7480", "asus-tuf-x570-5600x", "asus-tuf-x570-default-name",
                                 "hostile-texts"}) {
    const RecordedMachine recorded =
        RecordedMachine::from_json(read_file(std::string(KESTRO_MACHINES_DIR) + "/" + name + ".json"));
    for (const LanguageRow& language : language_table()) {
      ScopedLanguageOverride scoped(language.code);
      RecordedMachine platform = recorded;
      platform.today = probe::Date{2026, 12, 10};  // the day the reviewed files were made
      const probe::PcFacts facts = probe::probe_facts(platform);
      const Report report = probe::report_of(facts);
      const std::string text = app::plain_text_report(report);
      if (language.code == "en") expect_reviewed(name, ".report.txt", text, "en");
      const std::string document = probe::json_document(facts);
      expect_reviewed(name, ".report.json", document, language.code);

      std::size_t lines = 3;  // the title, the footer's empty line and the footer
      for (const Section& section : report.sections) lines += 2 + section.rows.size();
      EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')), lines)
          << name << " in " << language.code;
      EXPECT_EQ(hostile_character(text, true), std::nullopt) << name << " in " << language.code;
      EXPECT_EQ(hostile_character(document, true), std::nullopt) << name << " in " << language.code;
      EXPECT_EQ(document.find("\\u"), std::string::npos) << name << " in " << language.code;
    }
  }
}

}  // namespace
}  // namespace kestro::test

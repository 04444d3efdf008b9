// Real PCs, recorded as the raw values the probe reads, against their reviewed report and
// JSON document.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/view/text_report.h"
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

// The English report, and the same document in every interface language.
TEST(RecordedPcs, ReportsAndDocumentsMatchTheReviewedOnes) {
  for (const std::string name : {"thinkpad-t470s", "gigabyte-haswell-gtx950", "msi-gf63-thin-11uc",
                                 "dell-latitude-7480", "asus-tuf-x570-5600x"}) {
    const RecordedMachine recorded =
        RecordedMachine::from_json(read_file(std::string(KESTRO_MACHINES_DIR) + "/" + name + ".json"));
    for (const LanguageRow& language : language_table()) {
      ScopedLanguageOverride scoped(language.code);
      RecordedMachine platform = recorded;
      const probe::PcFacts facts = probe::probe_facts(platform);
      if (language.code == "en") {
        expect_reviewed(name, ".report.txt", app::plain_text_report(probe::report_of(facts)), "en");
      }
      expect_reviewed(name, ".report.json", probe::json_document(facts), language.code);
    }
  }
}

}  // namespace
}  // namespace kestro::test

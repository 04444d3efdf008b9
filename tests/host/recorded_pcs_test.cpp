// Real PCs, recorded as the raw values the probe reads, against their reviewed reports.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/view/text_report.h"
#include "host/machine_loader.h"
#include "i18n/translate.h"
#include "probe/sections.h"

namespace kestro::test {
namespace {

std::string read_file(const std::string& path) {
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  return content.str();
}

TEST(RecordedPcs, ReportsMatchTheReviewedOnes) {
  ScopedLanguageOverride en("en");
  for (const std::string name : {"thinkpad-t470s", "gigabyte-haswell-gtx950", "msi-gf63-thin-11uc",
                                 "dell-latitude-7480", "asus-tuf-x570-5600x"}) {
    const std::string path = std::string(KESTRO_MACHINES_DIR) + "/" + name;
    FakePlatform platform = load_machine(read_file(path + ".json"));
    const std::string report = app::plain_text_report(probe::run_probe(platform));
    if (report != read_file(path + ".report.txt")) {
      // The whole text, to compare with the reviewed one line by line.
      const std::string actual = ::testing::TempDir() + name + ".report.txt";
      std::ofstream(actual, std::ios::binary) << report;
      ADD_FAILURE() << name << ": the report differs from the reviewed one; it is in " << actual;
    }
  }
}

}  // namespace
}  // namespace kestro::test

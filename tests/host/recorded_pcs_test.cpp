// Real PCs, recorded as the raw values the probe reads, against their reviewed reports.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/view/text_report.h"
#include "host/machine_loader.h"
#include "i18n/translate.h"
#include "probe/sections.h"

namespace kestro::test {
namespace {

const std::string kMachines = KESTRO_MACHINES_DIR;

TEST(RecordedPcs, ReportsMatchTheReviewedOnes) {
  ScopedLanguageOverride en("en");
  for (const char* name : {"thinkpad-t470s", "gigabyte-haswell-gtx950", "msi-gf63-thin-11uc",
                           "dell-latitude-7480", "asus-tuf-x570-5600x"}) {
    const std::optional<std::string> json = read_file(kMachines + "/" + name + ".json");
    const std::optional<std::string> golden = read_file(kMachines + "/" + name + ".report.txt");
    ASSERT_TRUE(json && golden) << name << ": not readable under " << kMachines;
    std::string error;
    std::optional<FakePlatform> platform = load_machine(*json, error);
    ASSERT_TRUE(platform) << name << ": " << error;

    const std::string report = app::plain_text_report(probe::run_probe(*platform));
    if (report != *golden) {
      // The whole text, to compare with the reviewed one line by line.
      const std::string actual = ::testing::TempDir() + name + ".report.txt";
      std::ofstream(actual, std::ios::binary) << report;
      ADD_FAILURE() << name << ": the report differs from the reviewed one; it is in " << actual;
    }
  }
}

TEST(RecordedPcs, LoaderRejectsWhatIsNoRecording) {
  const std::string_view broken[] = {"", "{", "[]", "{\"is_admin\": true}",
                                     "{\"is_admin\": \"yes\", \"tick0\": 1}"};
  for (const std::string_view text : broken) {
    std::string error;
    EXPECT_FALSE(load_machine(text, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

}  // namespace
}  // namespace kestro::test

// The update check and the download as sequences of platform calls, the folder they keep their
// files in, and the installers left there.

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "app/updater/check.h"
#include "app/updater/download.h"
#include "app/updater/work_folder.h"
#include "fake_updater_platform.h"
#include "i18n/translate.h"

namespace kestro::updater {
namespace {

using test::FakeUpdaterPlatform;
using test::kDigest;
using test::kInstaller;
using test::opus;
using Calls = std::vector<std::string>;

constexpr const char* kAddress = "https://lumwerk.example/Kestro/update.json?v=0.1.0&lang=en";
constexpr const char* kManifestFile = "C:\\T\\Kestro\\update.json";

std::string manifest(const char* version) {
  return std::string("{\"version\": \"") + version +
         "\", \"url\": \"https://lumwerk.example/K.exe\", \"sha256\": \"" + kDigest +
         "\", \"size\": 4}";
}

// ---- The check ------------------------------------------------------------------------------

TEST(UpdateCheck, Outcomes) {
  ScopedLanguageOverride english("en");
  const std::string fetch = std::string("fetch ") + kAddress + " -> " + kManifestFile + " max 65536";
  const Calls fetched = {"directory", fetch, std::string("delete ") + kManifestFile};
  const Calls read = {"directory", fetch, std::string("read ") + kManifestFile,
                      std::string("delete ") + kManifestFile};
  struct Case {
    const char* name;
    std::optional<std::string> fetch_failure, open_failure;
    std::string served;
    CheckResult result;
    Calls calls;
  };
  const Case cases[] = {
      {"newer", {}, {}, manifest("0.1.1"),
       Available{UpdateInfo{"0.1.1", "https://lumwerk.example/K.exe", kDigest, 4}}, read},
      {"same", {}, {}, manifest("0.1.0"), UpToDate{}, read},
      {"longer but equal", {}, {}, manifest("0.1.0.0"), UpToDate{}, read},
      {"older", {}, {}, manifest("0.0.9"), UpToDate{}, read},
      {"curl failed: what it left goes", "Download failed", {}, "", CheckFailed{"Download failed"}, fetched},
      {"unreadable", {}, "Access is denied. (os error 5)", "",
       CheckFailed{"Access is denied. (os error 5)"}, read},
      {"not UTF-8", {}, {}, "{\"version\": \"\xC3\x28\"}",
       CheckFailed{"stream did not contain valid UTF-8"}, read},
      {"over 64 KiB", {}, {}, manifest("0.1.1") + std::string(65536, ' '), CheckFailed{"manifest"}, read},
      {"not JSON", {}, {}, "<html>", CheckFailed{"manifest"}, read},
      {"v prefix", {}, {}, manifest("v1.0"), CheckFailed{"manifest"}, read},
      {"http", {}, {}, "{\"version\": \"2\", \"url\": \"http://a\", \"sha256\": \"x\"}",
       CheckFailed{"manifest"}, read},
  };
  for (const Case& c : cases) {
    FakeUpdaterPlatform platform;
    platform.fetch_failure = c.fetch_failure;
    platform.open_failure = c.open_failure;
    platform.served = c.served;
    EXPECT_EQ(run_update_check(platform, kAddress, "0.1.0"), c.result) << c.name;
    EXPECT_EQ(platform.calls, c.calls) << c.name;
  }
}

// ---- The working folder ---------------------------------------------------------------------

TEST(WorkFolder, OnlyTheFolderItself) {
  ScopedLanguageOverride english("en");
  struct Case {
    const char* name;
    FolderFacts facts;
    bool temp;  // the system has a temporary directory
    std::optional<std::string> folder;
    std::string error;
  };
  const Case cases[] = {
      {"the working folder", {true, true, false}, true, "C:\\T\\Kestro", ""},
      {"no temporary directory: the system's text", {true, true, false}, false, {}, "no temp (os error 3)"},
      {"a junction", {true, true, true}, true, {}, "Download failed"},
      {"a symbolic link to a file", {true, false, true}, true, {}, "Download failed"},
      {"a file", {true, false, false}, true, {}, "Download failed"},
      {"gone", {false, false, false}, true, {}, "Download failed"},
  };
  for (const Case& c : cases) {
    FakeUpdaterPlatform platform;
    platform.facts = c.facts;
    if (!c.temp) platform.directory.reset();
    const TextOrError folder = open_work_folder(platform);
    EXPECT_EQ(folder.text, c.folder) << c.name;
    EXPECT_EQ(folder.error, c.error) << c.name;
  }
}

TEST(WorkFolder, LeftInstallersNotInUseGo) {
  const std::string list = "list C:\\T\\Kestro Kestro-Setup-*.exe";
  const auto del = [](const char* name) { return std::string("delete unused C:\\T\\Kestro\\") + name; };
  struct Case {
    const char* name;
    std::vector<std::string> listed;
    std::map<std::string, int> busy;
    Calls calls;
    FolderFacts facts = {true, true, false};
  };
  const std::string pause = "pause " + std::to_string(kLeftoverRetryMilliseconds);
  Calls gives_up = {"directory", list};
  for (int i = 0; i < kLeftoverTries; ++i) {
    if (i > 0) gives_up.push_back(pause);
    gives_up.push_back(del("Kestro-Setup-1.2.0.exe"));
  }
  const Case cases[] = {
      {"every version, a newer download cut short too; other names stay",
       {"Kestro-Setup-1.2.0.exe", "Kestro-Setup-1.1.exe", "Kestro-Setup-1.3.0.exe", "Kestro-Setup-x.exe",
        "Kestro-Setup-.exe", "Kestro-Setup-1.2.0.exe.part", "KESTRO~1.EXE", "Kestro-Setup.exe"},
       {},
       {"directory", list, del("Kestro-Setup-1.2.0.exe"), del("Kestro-Setup-1.1.exe"),
        del("Kestro-Setup-1.3.0.exe"), del("Kestro-Setup-x.exe"), del("Kestro-Setup-.exe")}},
      {"the installer still runs for two more tries", {"Kestro-Setup-1.2.0.exe"}, {{"C:\\T\\Kestro\\Kestro-Setup-1.2.0.exe", 2}},
       {"directory", list, del("Kestro-Setup-1.2.0.exe"), pause, del("Kestro-Setup-1.2.0.exe"), pause,
        del("Kestro-Setup-1.2.0.exe")}},
      {"one that never goes is left after the last try", {"Kestro-Setup-1.2.0.exe"},
       {{"C:\\T\\Kestro\\Kestro-Setup-1.2.0.exe", 1000}}, gives_up},
      {"nothing left", {}, {}, {"directory", list}},
      {"a junction in the folder's place is not looked into", {"Kestro-Setup-1.2.0.exe"}, {}, {"directory"},
       {true, true, true}},
  };
  for (const Case& c : cases) {
    FakeUpdaterPlatform platform;
    platform.listed = c.listed;
    platform.busy = c.busy;
    platform.facts = c.facts;
    remove_leftover_installers(platform);
    EXPECT_EQ(platform.calls, c.calls) << c.name;
  }
}

// ---- The download ---------------------------------------------------------------------------

UpdateInfo offered(std::uint64_t size, std::string sha = kDigest, std::string version = "1.2.0") {
  return UpdateInfo{std::move(version), "https://lumwerk.example/K.exe", std::move(sha), size};
}

TEST(Download, VerificationSequence) {
  ScopedLanguageOverride english("en");
  const auto fetch = [](std::uint64_t max, const std::string& to = kInstaller) {
    return "fetch https://lumwerk.example/K.exe -> " + to + " max " + std::to_string(max);
  };
  const std::string hold = std::string("hold ") + kInstaller;
  const std::string release = std::string("release ") + kInstaller;
  const std::string remove = std::string("delete ") + kInstaller;
  const std::string signature = std::string("signature ") + kInstaller;
  const std::string sign = "The installer's digital signature could not be verified";
  const std::string corrupt = "Downloaded file is corrupt (hash mismatch)";
  struct Case {
    const char* name;
    UpdateInfo info;
    std::string served;
    std::optional<std::string> fetch_failure, open_failure, read_failure, digest;
    SignatureReading reading;
    std::optional<VersionResource> version;
    std::optional<std::string> failure;  // nothing: ready
    Calls calls;
  };
  const SignatureReading good{0, "Norvale Tech Co., Ltd.", 0, opus("Kestro Setup"), 0};
  const VersionResource v120{{1, 2, 0, 0}, "Kestro"};
  const Calls verified = {"directory", fetch(4), hold, "size", "digest", signature, "version"};
  const Calls wrong_digest = {"directory", fetch(4), hold, "size", "digest", release, remove};
  const Calls wrong_signer = {"directory", fetch(4), hold, "size", "digest", signature, release, remove};
  const Calls wrong_version = {"directory", fetch(4),  hold,    "size",
                               "digest",    signature, "version", release, remove};
  const Case cases[] = {
      {"verified", offered(4), "abcd", {}, {}, {}, kDigest, good, v120, {}, verified},
      {"close failed still accepted", offered(4), "abcd", {}, {}, {}, kDigest,
       {0, "Norvale Tech Co., Ltd.", -1, opus("Kestro Setup"), 0}, v120, {}, verified},
      {"no revocation server answered", offered(4), "abcd", {}, {}, {}, kDigest,
       {0, "Norvale Tech Co., Ltd.", 0, opus("Kestro Setup"), static_cast<std::int32_t>(0x80092013)}, v120, {}, verified},
      {"transfer failed: what it left goes", offered(4), "", "Download failed", {}, {}, kDigest, good, v120,
       "Download failed", {"directory", fetch(4), remove}},
      {"curl not started: system text", offered(4), "", "The system cannot find the file specified. (os error 2)",
       {}, {}, kDigest, good, v120, "The system cannot find the file specified. (os error 2)",
       {"directory", fetch(4), remove}},
      {"cannot be opened", offered(4), "", {}, "Access is denied. (os error 5)", {}, kDigest, good, v120,
       "Access is denied. (os error 5)", {"directory", fetch(4), hold, remove}},
      {"read fails while hashing", offered(4), "abcd", {}, {}, "The device is not ready. (os error 21)", kDigest,
       good, v120, "The device is not ready. (os error 21)", {"directory", fetch(4), hold, "size", release, remove}},
      {"one byte short: not a byte read", offered(1000), std::string(999, 'x'), {}, {}, {}, kDigest, good, v120,
       "Downloaded size mismatch", {"directory", fetch(1000), hold, "size", release, remove}},
      {"digest differs", offered(4), "abcd", {}, {}, {}, std::string(64, '0'), good, v120, corrupt, wrong_digest},
      {"63 digits", offered(4, std::string(kDigest).substr(0, 63)), "abcd", {}, {}, {}, kDigest, good, v120,
       corrupt, wrong_digest},
      {"digest with spaces", offered(4, std::string(" ") + kDigest + " "), "abcd", {}, {}, {}, kDigest, good,
       v120, corrupt, wrong_digest},
      {"digest not computed", offered(4), "abcd", {}, {}, {}, std::nullopt, good, v120, corrupt, wrong_digest},
      {"unsigned", offered(4), "abcd", {}, {}, {}, kDigest, {static_cast<std::int32_t>(0x800B0100), {}, 0},
       v120, sign, wrong_signer},
      {"untrusted root", offered(4), "abcd", {}, {}, {}, kDigest,
       {static_cast<std::int32_t>(0x800B0109), "Norvale Tech Co., Ltd.", 0}, v120, sign, wrong_signer},
      {"letter case", offered(4), "abcd", {}, {}, {}, kDigest, {0, "NORVALE TECH CO., LTD.", 0, opus("Kestro Setup"), 0},
       v120, sign, wrong_signer},
      {"another of the maker's programs", offered(4), "abcd", {}, {}, {}, kDigest,
       {0, "Norvale Tech Co., Ltd.", 0, opus("Lumwerk Notes"), 0}, v120, sign, wrong_signer},
      {"Kestro.exe itself, signed as the program", offered(4), "abcd", {}, {}, {}, kDigest,
       {0, "Norvale Tech Co., Ltd.", 0, opus("Kestro"), 0}, v120, sign, wrong_signer},
      {"a revoked certificate", offered(4), "abcd", {}, {}, {}, kDigest,
       {0, "Norvale Tech Co., Ltd.", 0, opus("Kestro Setup"), static_cast<std::int32_t>(0x800B010C)}, v120, sign,
       wrong_signer},
      {"another product's installer", offered(4), "abcd", {}, {}, {}, kDigest, good,
       VersionResource{{1, 2, 0, 0}, "Lumwerk Notes"}, sign, wrong_version},
      {"no product name", offered(4), "abcd", {}, {}, {}, kDigest, good, VersionResource{{1, 2, 0, 0}, {}},
       sign, wrong_version},
      {"a product name padded with blanks", offered(4), "abcd", {}, {}, {}, kDigest, good,
       VersionResource{{1, 2, 0, 0}, "Kestro      "}, {}, verified},
      {"a longer product name", offered(4), "abcd", {}, {}, {}, kDigest, good,
       VersionResource{{1, 2, 0, 0}, "Kestro Pro"}, sign, wrong_version},
      // The version resource must say the manifest's version, missing parts counting as 0.
      {"older installer", offered(4), "abcd", {}, {}, {}, kDigest, good, VersionResource{{1, 1, 9, 0}, "Kestro"},
       sign, wrong_version},
      {"newer installer", offered(4), "abcd", {}, {}, {}, kDigest, good, VersionResource{{1, 2, 0, 1}, "Kestro"},
       sign, wrong_version},
      {"no version resource", offered(4), "abcd", {}, {}, {}, kDigest, good, std::nullopt, sign, wrong_version},
      {"four parts", offered(4, kDigest, "1.2.0.7"), "abcd", {}, {}, {}, kDigest, good,
       VersionResource{{1, 2, 0, 7}, "Kestro"}, {},
       {"directory", fetch(4, "C:\\T\\Kestro\\Kestro-Setup-1.2.0.7.exe"),
        "hold C:\\T\\Kestro\\Kestro-Setup-1.2.0.7.exe", "size", "digest",
        "signature C:\\T\\Kestro\\Kestro-Setup-1.2.0.7.exe", "version"}},
  };
  for (const Case& c : cases) {
    FakeUpdaterPlatform platform;
    platform.served = c.served;
    platform.fetch_failure = c.fetch_failure;
    platform.open_failure = c.open_failure;
    platform.read_failure = c.read_failure;
    platform.digest = c.digest;
    platform.signature = c.reading;
    platform.version = c.version;
    DownloadResult result = run_download(platform, c.info);
    if (c.failure) {
      ASSERT_TRUE(std::holds_alternative<DownloadFailed>(result)) << c.name;
      EXPECT_EQ(std::get<DownloadFailed>(result).text, *c.failure) << c.name;
      EXPECT_EQ(platform.held_open, 0) << c.name;
    } else {
      ASSERT_TRUE(std::holds_alternative<InstallerReady>(result)) << c.name;
      const auto& ready = std::get<InstallerReady>(result);
      EXPECT_TRUE(ready.held) << c.name;
      EXPECT_EQ(platform.held_open, 1) << c.name;  // still held for the installer start
      EXPECT_EQ(platform.hashed, c.served) << c.name;
    }
    if (c.info.size != c.served.size()) EXPECT_EQ(platform.largest_read, 0u) << c.name;
    EXPECT_EQ(platform.calls, c.calls) << c.name;
  }

  // A large file goes through the digest in pieces; a throwing read counts as no digest.
  FakeUpdaterPlatform large;
  large.served = std::string(2 * kHashPieceBytes + 5, 'z');
  large.digest = kDigest;
  EXPECT_TRUE(std::holds_alternative<InstallerReady>(run_download(large, offered(large.served.size()))));
  EXPECT_EQ(large.hashed, large.served);
  EXPECT_EQ(large.largest_read, kHashPieceBytes);
  FakeUpdaterPlatform throwing;
  throwing.served = "abcd";
  throwing.read_throws = true;
  DownloadResult thrown = run_download(throwing, offered(4));
  ASSERT_TRUE(std::holds_alternative<DownloadFailed>(thrown));
  EXPECT_EQ(std::get<DownloadFailed>(thrown).text, corrupt);
  EXPECT_EQ(throwing.calls.back(), remove);
}

}  // namespace
}  // namespace kestro::updater

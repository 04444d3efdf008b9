// The updater's text rules: manifest members, versions, the start-up schedule, the prompt and
// toast texts, command lines, the system error text and the digest.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/updater/launch.h"
#include "app/updater/manifest.h"
#include "app/updater/schedule.h"
#include "app/updater/sha256.h"
#include "app/updater/signature.h"
#include "app/updater/system_error.h"
#include "app/updater/texts.h"
#include "base/version.h"
#include "fake_updater_platform.h"
#include "i18n/product.h"
#include "i18n/translate.h"

namespace kestro::updater {
namespace {

using test::kDigest;
using test::opus;

struct ManifestCase {
  std::string text;
  std::optional<UpdateInfo> expected;
};

UpdateInfo info(std::string version, std::uint64_t size = 1000, std::string sha = kDigest) {
  return UpdateInfo{std::move(version), "https://lumwerk.example/Kestro-Setup.exe", std::move(sha), size};
}

std::string manifest(const std::string& version_json, const std::string& extra = "",
                     const std::string& url = "\"https://lumwerk.example/Kestro-Setup.exe\"",
                     const std::string& size = ", \"size\": 1000") {
  return "{\"version\": " + version_json + ", \"url\": " + url + ", \"sha256\": \"" + kDigest +
         "\"" + size + extra + "}";
}
std::string sized(const std::string& size_json) {
  return manifest("\"1\"", "", "\"https://lumwerk.example/Kestro-Setup.exe\"", ", \"size\": " + size_json);
}

TEST(Manifest, MemberRules) {
  const std::string upper = "9F86D081884C7D659A2FEAA0C55AD015A3BF4F1B2B0B822CD15D6C15B0F00A08";
  const ManifestCase cases[] = {
      {manifest("\"1.2.0\""), info("1.2.0")},
      {" \t\r\n" + manifest("\"1.2.0\"") + " \n", info("1.2.0")},
      // size: every download is bounded, by an integer from 1 to 512 MiB
      {sized("1"), info("1", 1)},
      {sized("536870912"), info("1", 536870912)},
      {manifest("\"1\"", "", "\"https://lumwerk.example/Kestro-Setup.exe\"", ""), std::nullopt},
      {sized("0"), std::nullopt},
      {sized("536870913"), std::nullopt},
      {sized("18446744073709551615"), std::nullopt},
      {sized("18446744073709551616"), std::nullopt},
      {sized("-5"), std::nullopt},
      {sized("12.5"), std::nullopt},
      {sized("1e3"), std::nullopt},
      {sized("\"1000\""), std::nullopt},
      {sized("null"), std::nullopt},
      {manifest("\"1\"", ", \"notes\": [1, {\"a\": null}]"), info("1")},  // others ignored
      {"{\"sha256\": \"" + upper + "\", \"size\": 1000, \"url\": \"https://lumwerk.example/Kestro-Setup.exe\", "
       "\"version\": \"0.2\"}", info("0.2")},  // any order; digest lower-cased
      {manifest("\"1\"", "", "\"https://\""),
       UpdateInfo{"1", "https://", kDigest, 1000}},
      {manifest("\"12345678901234567890123456789012\""), info("12345678901234567890123456789012")},
      {manifest("\".\""), info(".")},
      // version: 1 to 32 bytes of digits and dots
      {manifest("\"123456789012345678901234567890123\""), std::nullopt},
      {manifest("\"\""), std::nullopt},
      {manifest("\"v1.0\""), std::nullopt},
      {manifest("\"1.0-beta\""), std::nullopt},
      {manifest("\" 1.0\""), std::nullopt},
      {manifest("\"1.0 \""), std::nullopt},
      {manifest("\"\\u0661\""), std::nullopt},  // Arabic-Indic digit one
      {manifest("1.0"), std::nullopt},          // a number, not a string
      // url: "https://" in lower case
      {manifest("\"1\"", "", "\"http://lumwerk.example/a.exe\""), std::nullopt},
      {manifest("\"1\"", "", "\"HTTPS://lumwerk.example/a.exe\""), std::nullopt},
      {manifest("\"1\"", "", "\"https:/\""), std::nullopt},
      {manifest("\"1\"", "", "\" https://lumwerk.example/a.exe\""), std::nullopt},
      {manifest("\"1\"", "", "null"), std::nullopt},
      // required members and the document's shape
      {"{\"version\": \"1\", \"url\": \"https://a\"}", std::nullopt},
      {"{\"version\": \"1\", \"sha256\": \"ab\"}", std::nullopt},
      {"{\"url\": \"https://a\", \"sha256\": \"ab\"}", std::nullopt},
      {"{\"version\": \"1\", \"url\": \"https://a\", \"sha256\": 5}", std::nullopt},
      {"[" + manifest("\"1\"") + "]", std::nullopt},
      {"\"1.2.0\"", std::nullopt},
      {"", std::nullopt},
      {"null", std::nullopt},
      {manifest("\"1\"") + " x", std::nullopt},
      {manifest("\"1\"") + manifest("\"1\""), std::nullopt},
      {manifest("\"1\"") + std::string(1, '\0'), std::nullopt},
      {manifest("\"1\"") + std::string("\0junk", 5), std::nullopt},
      {"\xEF\xBB\xBF" + manifest("\"1\""), std::nullopt},
      {manifest("\"1\"", ",}"), std::nullopt},
      {"{\"version\": \"1\", \"url\": \"https://a\", \"sha256\": \"\xFF\"}", std::nullopt},
  };
  for (const ManifestCase& c : cases) {
    EXPECT_EQ(parse_manifest(c.text), c.expected) << c.text;
  }
}

TEST(Manifest, RepeatedMemberKeepsTheLaterValue) {
  const auto parsed = parse_manifest(manifest("\"1\"", ", \"version\": \"2\""));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->version, "2");
}

TEST(Manifest, WrittenManifestReadsBackUnchanged) {
  for (const UpdateInfo& written :
       {info("1.2.0", 123456), info("0", 1), UpdateInfo{"9.9", "https://x/\"q\" \\ é", "ab", 1}}) {
    EXPECT_EQ(parse_manifest(write_manifest(written)), written) << write_manifest(written);
  }
}

struct VersionCase {
  const char* text;
  std::vector<std::uint32_t> components;
};

TEST(Version, Parsing) {
  const VersionCase cases[] = {
      {"0.1.0", {0, 1, 0}},
      {"v0.2", {0, 2}},
      {"vv1.2", {1, 2}},
      {"V1.2", {0, 2}},  // only a lower-case v is removed
      {"  0.2 \t", {0, 2}},
      {"\xE3\x80\x80" "0.2\xC2\xA0", {0, 2}},  // Unicode white space
      {"0.2.x", {0, 2, 0}},
      {"1..2", {1, 0, 2}},
      {"1.2.", {1, 2, 0}},
      {"", {0}},
      {"v", {0}},
      {".", {0, 0}},
      {"+3.+4", {3, 4}},
      {"-3", {0}},
      {"1.4294967295", {1, 4294967295u}},
      {"1.4294967296", {1, 0}},  // beyond 32 bits
      {"007.010", {7, 10}},
      {"1 .2", {0, 2}},
  };
  for (const VersionCase& c : cases) {
    EXPECT_EQ(parse_version(c.text), c.components) << '"' << c.text << '"';
  }
}

TEST(Version, Comparison) {
  struct Case {
    const char* remote;
    const char* current;
    bool newer;
  };
  const Case cases[] = {
      {"0.1.0", "0.1.0", false}, {"0.1.0.0", "0.1.0", false}, {"1.0", "1.0.0", false},
      {"0.1.1", "0.1.0", true},  {"1", "0.1.0", true},         {"0.0.9", "0.1.0", false},
      {"0.1.10", "0.1.9", true}, {"0.1.9", "0.1.10", false},   {"0.1.0.1", "0.1.0", true},
      {"4294967295", "4294967294.9", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(is_newer(parse_version(c.remote), parse_version(c.current)), c.newer)
        << c.remote << " vs " << c.current;
  }
}

TEST(ManifestAddress, ProductPageWithVersionAndLanguage) {
  EXPECT_EQ(manifest_address(kProductPage, "0.1.0", "en"),
            "https://lumwerk.example/Kestro/update.json?v=0.1.0&lang=en");
  EXPECT_EQ(manifest_address(kProductPage, kVersion, "zh-Hans"),
            std::string("https://lumwerk.example/Kestro/update.json?v=") + std::string(kVersion) +
                "&lang=zh-Hans");
}

TEST(Schedule, OncePerDayUnlessSwitchedOff) {
  struct Case {
    bool enabled;
    std::uint64_t last, now;
    bool due;
  };
  const std::uint64_t now = 1'733'600'000;
  const Case cases[] = {
      {true, 0, now, true},                 // nothing stored: the first start checks
      {true, now - 86'400, now, true},      // exactly a day
      {true, now - 86'399, now, false},
      {true, now, now, false},
      {true, now + 100, now, false},        // in the future: no time has passed
      {true, now + 100, now + 100 + 86'399, false},
      {true, now + 100, now + 100 + 86'400, true},
      {false, 0, now, false},
      {true, UINT64_MAX, now, false},
      {true, 0, 86'399, false},             // a clock near 1970
      {true, 0, UINT64_MAX, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(automatic_check_due(c.enabled, c.last, c.now), c.due)
        << c.enabled << ' ' << c.last << ' ' << c.now;
  }
}

TEST(Schedule, FiletimeToUnixSeconds) {
  EXPECT_EQ(unix_seconds_from_filetime(116'444'736'000'000'000ull), 0u);
  EXPECT_EQ(unix_seconds_from_filetime(116'444'735'999'999'999ull), 0u);  // before 1970
  EXPECT_EQ(unix_seconds_from_filetime(0), 0u);
  EXPECT_EQ(unix_seconds_from_filetime(116'444'736'019'999'999ull), 1u);  // truncated
  // 2024-12-07 19:33:20 UTC
  EXPECT_EQ(unix_seconds_from_filetime(133'780'736'000'000'000ull), 1'733'600'000u);
}

TEST(Texts, PromptAndUpToDate) {
  {
    ScopedLanguageOverride english("en");
    EXPECT_EQ(update_prompt_text("1.2.0", "0.1.0"),
              "A new version is available: 1.2.0\n(current 0.1.0)\n\nUpdate now?");
    EXPECT_EQ(up_to_date_text("0.1.0"), "You're up to date (0.1.0)");
    EXPECT_EQ(translate(texts::kChecking), "Checking for updates…");
  }
  {
    ScopedLanguageOverride korean("ko");
    EXPECT_EQ(update_prompt_text("1.2.0", "0.1.0"),
              "새 버전이 있습니다: 1.2.0\n(지금 0.1.0)\n\n지금 업데이트할까요?");
    EXPECT_EQ(up_to_date_text("0.1.0"), "최신 버전입니다 (0.1.0)");
  }
  {
    ScopedLanguageOverride german("de");
    EXPECT_EQ(update_prompt_text("1.2.0", "0.1.0"),
              "Eine neue Version ist verfügbar: 1.2.0\n(aktuell 0.1.0)\n\nJetzt aktualisieren?");
    EXPECT_EQ(translate(texts::kSignatureRejected),
              "Die digitale Signatur des Installationsprogramms konnte nicht überprüft werden");
  }
}

TEST(Texts, EveryUpdaterTextIsInEveryCatalog) {
  const TextPair all[] = {texts::kChecking,       texts::kUpToDate,     texts::kNewVersion,
                          texts::kCurrent,        texts::kUpdateNow,    texts::kDownloading,
                          texts::kDownloadFailed, texts::kSizeMismatch, texts::kHashMismatch,
                          texts::kSignatureRejected, texts::kUpdateFromNormalCopy};
  for (const char* code : {"ja", "zh-Hans", "zh-Hant", "es", "fr", "de", "pt", "ru"}) {
    const Catalog catalog = parse_catalog(catalog_text(code));
    for (const TextPair& pair : all) {
      EXPECT_TRUE(catalog.count(std::string(pair.en))) << code << ": " << pair.en;
    }
  }
}

TEST(SystemError, OneLineWithTheCode) {
  struct Case {
    const char* message;
    std::uint32_t code;
    const char* text;
  };
  const Case cases[] = {
      {"The system cannot find the file specified.\r\n", 2,
       "The system cannot find the file specified. (os error 2)"},
      {"Access is denied.  \r\n\r\n", 5, "Access is denied. (os error 5)"},
      {"First line.\r\nSecond line.\r\n", 1392, "First line. Second line. (os error 1392)"},
      {"", 317, "(os error 317)"},
      {" \r\n", 4294967295u, "(os error 4294967295)"},
  };
  for (const Case& c : cases) EXPECT_EQ(system_error_text(c.message, c.code), c.text);
}

TEST(CommandLines, CurlProgramAndArguments) {
  // Only the system directory counts; SystemRoot is never asked, and a relative folder would
  // be resolved against whatever folder is current.
  const struct {
    const char* directory;
    std::optional<std::string> program;
  } programs[] = {
      {"C:\\Windows\\system32", "C:\\Windows\\system32\\curl.exe"},
      {"D:\\WINNT\\System32\\", "D:\\WINNT\\System32\\curl.exe"},
      {"\\\\server\\share\\System32", "\\\\server\\share\\System32\\curl.exe"},
      {"", std::nullopt},
      {"System32", std::nullopt},
      {"\\Windows\\System32", std::nullopt},
      {"C:System32", std::nullopt},
  };
  for (const auto& c : programs) EXPECT_EQ(curl_path(c.directory), c.program) << c.directory;

  const struct {
    std::uint64_t max_bytes;
    std::vector<std::string> arguments;
  } lists[] = {
      {kManifestMaxBytes,
       {"-q", "--globoff", "--max-filesize", "65536", "-fsSL", "--proto", "=https", "--max-time", "600",
        "-o", "C:\\T\\Kestro\\update.json", "https://a/b?v=1&x[1-9]{y,z}"}},
      {kMaxInstallerBytes,
       {"-q", "--globoff", "--max-filesize", "536870912", "-fsSL", "--proto", "=https", "--max-time",
        "600", "-o", "C:\\T\\Kestro\\update.json", "https://a/b?v=1&x[1-9]{y,z}"}},
  };
  for (const auto& c : lists) {
    EXPECT_EQ(curl_arguments("https://a/b?v=1&x[1-9]{y,z}", "C:\\T\\Kestro\\update.json", c.max_bytes),
              c.arguments);
  }
  EXPECT_EQ(command_line("C:\\Windows\\System32\\curl.exe", lists[0].arguments),
            "\"C:\\Windows\\System32\\curl.exe\" -q --globoff --max-filesize 65536 -fsSL --proto =https "
            "--max-time 600 -o C:\\T\\Kestro\\update.json https://a/b?v=1&x[1-9]{y,z}");
}

TEST(CommandLines, ArgumentQuoting) {
  struct Case {
    const char* argument;
    const char* quoted;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"", "\"\""},
      {"C:\\Users\\Jo Doe\\Temp\\Kestro\\update.json", "\"C:\\Users\\Jo Doe\\Temp\\Kestro\\update.json\""},
      {"C:\\dir with space\\", "\"C:\\dir with space\\\\\""},
      {"a\"b", "\"a\\\"b\""},
      {"a\\\"b", "\"a\\\\\\\"b\""},
      {"a\\\\b", "a\\\\b"},  // backslashes not before a quote stay as they are
      {"tab\there", "\"tab\there\""},
      {"https://a/b?x=1&y=\"2\"", "\"https://a/b?x=1&y=\\\"2\\\"\""},
  };
  for (const Case& c : cases) EXPECT_EQ(quote_argument(c.argument), c.quoted) << c.argument;
  EXPECT_FALSE(command_line("curl.exe", {std::string("https://a/\0b", 12)}));
  EXPECT_FALSE(command_line(std::string_view("cu\0rl", 5), {}));
  EXPECT_FALSE(command_line("cu\"rl", {}));
}

TEST(CommandLines, InstallerNameAndSwitches) {
  EXPECT_EQ(installer_file_name("1.2.0"), "Kestro-Setup-1.2.0.exe");
  EXPECT_EQ(join_path("C:\\Users\\Jo\\AppData\\Local\\Temp\\", "Kestro"),
            "C:\\Users\\Jo\\AppData\\Local\\Temp\\Kestro");
  EXPECT_EQ(join_path("C:\\T\\Kestro", "update.json"), "C:\\T\\Kestro\\update.json");
  EXPECT_EQ(installer_command_line("C:\\T\\Kestro\\Kestro-Setup-1.2.0.exe"),
            "\"C:\\T\\Kestro\\Kestro-Setup-1.2.0.exe\" /SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1");
}

TEST(Publisher, OnlyAValidSignatureByExactlyTheMakerForKestrosInstaller) {
  struct Case {
    SignatureReading reading;
    bool accepted;
  };
  const auto code = [](std::uint32_t value) { return static_cast<std::int32_t>(value); };
  const Case cases[] = {
      {{0, "Norvale Tech Co., Ltd.", 0, opus("Kestro Setup"), 0}, true},
      {{0, "Norvale Tech Co., Ltd.", code(0x80070006), opus("Kestro Setup"), 0}, true},  // close failed
      {{0, "Norvale Tech Co., LTD.", 0, opus("Kestro Setup"), 0}, false},
      {{0, "Norvale Tech Co., Ltd. ", 0, opus("Kestro Setup"), 0}, false},
      {{0, " Norvale Tech Co., Ltd.", 0, opus("Kestro Setup"), 0}, false},
      {{0, "Norvale Tech Co., Ltd", 0, opus("Kestro Setup"), 0}, false},
      {{0, "Other Company Ltd.", 0, opus("Kestro Setup"), 0}, false},
      {{0, "", 0, opus("Kestro Setup"), 0}, false},
      {{0, std::nullopt, 0, opus("Kestro Setup"), 0}, false},  // no signer or no chain
      // the right name, but the signature is not trusted
      {{code(0x800B0109), "Norvale Tech Co., Ltd.", 0, opus("Kestro Setup"), {}}, false},  // untrusted root
      {{code(0x80096010), "Norvale Tech Co., Ltd.", 0, opus("Kestro Setup"), {}}, false},  // bad digest
      {{code(0x800B0100), std::nullopt, 0, {}, {}}, false},                  // unsigned
      // the maker's signature on another of its programs, or on none named
      {{0, "Norvale Tech Co., Ltd.", 0, opus("Lumwerk Notes"), 0}, false},
      {{0, "Norvale Tech Co., Ltd.", 0, opus("kestro setup"), 0}, false},
      {{0, "Norvale Tech Co., Ltd.", 0, opus("Kestro"), 0}, false},  // Kestro.exe itself
      {{0, "Norvale Tech Co., Ltd.", 0, std::nullopt, 0}, false},
      // a certificate found revoked refuses it; a check that could not be made does not
      {{0, "Norvale Tech Co., Ltd.", 0, opus("Kestro Setup"), code(0x800B010C)}, false},  // CERT_E_REVOKED
      {{0, "Norvale Tech Co., Ltd.", 0, opus("Kestro Setup"), code(0x80092010)}, false},  // CRYPT_E_REVOKED
      {{0, "Norvale Tech Co., Ltd.", 0, opus("Kestro Setup"), code(0x800B010E)}, true},   // revocation failure
      {{0, "Norvale Tech Co., Ltd.", 0, opus("Kestro Setup"), code(0x80092013)}, true},   // server offline
      {{0, "Norvale Tech Co., Ltd.", 0, opus("Kestro Setup"), code(0x80092012)}, true},   // no revocation check
  };
  for (const Case& c : cases) {
    EXPECT_EQ(signature_accepted(c.reading, kExpectedPublisher), c.accepted)
        << c.reading.trust << " '" << c.reading.signer.value_or("<none>") << "' "
        << program_name(c.reading.opus_info.value_or("")).value_or("<none>") << " "
        << c.reading.revocation.value_or(-1);
  }
}

// The program name inside a signature, as signing tools encode it; anything else names none.
TEST(Publisher, ProgramNameOfTheSignature) {
  using namespace std::string_literals;
  const std::string long_name(200, 'K');
  std::string long_form = opus(long_name);  // lengths past 127 take the long form
  const struct {
    std::string der;
    std::optional<std::string> program;
  } cases[] = {
      {opus("Kestro"), "Kestro"},
      {opus("\u30B1\u30B9"), "\u30B1\u30B9"},                           // BMPString, big-endian
      {"\x30\x0A\xA0\x08\x81\x06Kestro"s, "Kestro"},                   // IA5String
      {"\x30\x0F\xA0\x08\x81\x06Kestro\xA1\x03\x80\x01x"s, "Kestro"},  // and a link
      {"\x30\x05\xA1\x03\x80\x01x"s, std::nullopt},                    // a link alone
      {"\x30\x0A\xA0\x08\x81\x06Kestr\xC3"s, std::nullopt},             // not ASCII
      {"\x30\x09\xA0\x07\x80\x05\0K\0e\0"s, std::nullopt},            // half a character
      {"\x30\x0A\xA0\x08\x81\x07Kestro"s, std::nullopt},               // longer than the data
      {"\x31\x0A\xA0\x08\x81\x06Kestro"s, std::nullopt},               // not a sequence
      {"\x30\x80\xA0\x08\x81\x06Kestro\0\0"s, std::nullopt},          // indefinite length
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(program_name(c.der), c.program) << hex_lower(c.der);
  ASSERT_EQ(program_name(long_form), long_name);
}

TEST(Sha256, KnownDigests) {
  struct Case {
    std::string input;
    const char* digest;
  };
  const Case cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1'000'000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      {std::string("\0\xFF", 2), "06eb7d6a69ee19e5fbdf749018d3d2abfa04bcbd1365db312eb86dc7169389b8"},
  };
  for (const Case& c : cases) EXPECT_EQ(sha256_hex(c.input), c.digest) << c.input.substr(0, 20);
  EXPECT_EQ(hex_lower(std::string("\0\x01\xAB\xFF", 4)), "0001abff");
}

}  // namespace
}  // namespace kestro::updater

// The updater's Windows adapters under Wine: the working directory, curl.exe (a stand-in the
// tests put into the system directory), files held while they are verified, WinVerifyTrust on
// installers signed at test time, and the installer start.

#include <gtest/gtest.h>

#include "base/system_library_win32.h"
#include "updater/updater_win_fixture.h"

namespace kestro::updater {
namespace {

using namespace test_win;

TEST_F(UpdaterWin, WorkingDirectoryIsKestroInTheTemporaryDirectory) {
  const TextOrError directory = updater_directory();
  ASSERT_TRUE(directory.text) << directory.error;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const bool has_temp_path2 = static_cast<bool>(SystemFunction<DWORD, DWORD, LPWSTR>(L"kernel32.dll", "GetTempPath2W", 0));
  if (!has_temp_path2) EXPECT_EQ(*directory.text, from_wide(temp) + "Kestro");
  EXPECT_TRUE(directory.text->ends_with("\\Kestro"));
  const DWORD attributes = GetFileAttributesW(to_wide(*directory.text).c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(UpdaterWin, SystemErrorTextIsOneLine) {
  EXPECT_EQ(os_error_text(ERROR_FILE_NOT_FOUND),
            "File not found. (os error 2)") << "(Windows says: The system cannot find the file specified.)";
  const std::string text = os_error_text(ERROR_SHARING_VIOLATION);
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with(" (os error 32)")) << text;
  EXPECT_EQ(os_error_text(0xE0001234u), "(os error 3758101044)");  // no system message
}

TEST_F(UpdaterWin, FetchRunsTheSystemsCurlWithTheArgumentsAndNoConsole) {
  serve("a.bin", "served bytes");
  const std::string destination = scratch("dir with space\\out.bin");
  CreateDirectoryW(to_wide(scratch("dir with space")).c_str(), nullptr);
  // SystemRoot is not asked: the system directory's curl.exe runs whatever it holds.
  const std::wstring system_root = environment(L"SystemRoot");
  SetEnvironmentVariableW(L"SystemRoot", L"");
  const auto fetched = fetch_with_curl("https://lumwerk.example/a.bin?v=0.1.0&lang=en", destination, 65536);
  SetEnvironmentVariableW(L"SystemRoot", system_root.c_str());
  EXPECT_EQ(fetched, std::nullopt);
  EXPECT_EQ(slurp(destination), "served bytes");
  EXPECT_EQ(calls(), "noconsole\t-q\t--globoff\t--max-filesize\t65536\t-fsSL\t--proto\t=https\t"
                     "--max-time\t600\t-o\t" + destination +
                         "\thttps://lumwerk.example/a.bin?v=0.1.0&lang=en\n");
}

TEST_F(UpdaterWin, FetchFailures) {
  struct Case {
    const char* url;
    std::string failure;
  };
  const Case cases[] = {
      {"https://lumwerk.example/missing.bin", "Download failed"},  // exit 22
      {"http://lumwerk.example/a.bin", "Download failed"},         // exit 1
  };
  serve("a.bin", "x");
  for (const Case& c : cases) {
    EXPECT_EQ(fetch_with_curl(c.url, scratch("out.bin"), 0), c.failure) << c.url;
    EXPECT_FALSE(exists(scratch("out.bin"))) << c.url;
  }
  EXPECT_EQ(fetch_with_curl(std::string("https://lumwerk.example/a.bin\0x", 31), scratch("o"), 0),
            os_error_text(ERROR_INVALID_PARAMETER));
  ASSERT_TRUE(DeleteFileW(to_wide(system_curl()).c_str()));  // SetUp puts it back
  EXPECT_EQ(fetch_with_curl("https://lumwerk.example/a.bin", scratch("out.bin"), 0),
            os_error_text(ERROR_FILE_NOT_FOUND));
}

TEST_F(UpdaterWin, HeldFileCannotBeChangedButCanBeReadAndVerified) {
  const std::string path = scratch("Kestro-Setup-9.exe");
  ASSERT_TRUE(CopyFileW(to_wide(installer("norvale.exe")).c_str(), to_wide(path).c_str(), FALSE));
  WindowsUpdaterPlatform platform;
  HeldOpen open = platform.open_held(path);
  ASSERT_TRUE(open.file) << open.error;
  const std::string expected = slurp(installer("norvale.exe"));
  EXPECT_EQ(open.file->size(), expected.size());
  std::string read_error;
  EXPECT_EQ(held_file_sha256(platform, *open.file, expected.size(), read_error), sha256_hex(expected));

  const std::wstring wide = to_wide(path);
  HANDLE writer = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(DeleteFileW(wide.c_str()));
  EXPECT_FALSE(MoveFileW(wide.c_str(), to_wide(scratch("moved.exe")).c_str()));
  HANDLE reader = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  CloseHandle(reader);
  EXPECT_TRUE(signature_accepted(read_signature(*open.file, path), kExpectedPublisher));
  const std::optional<VersionResource> resource = platform.version_resource(*open.file);
  ASSERT_TRUE(resource);
  EXPECT_EQ(resource->file_version, (std::vector<std::uint32_t>{1, 2, 0, 0}));
  EXPECT_EQ(resource->product_name, "Kestro");
  EXPECT_EQ(platform.version_resource(*hold(installer("other-product.exe")))->product_name, "Lumwerk Notes");
  // A second download onto the held file is a failed transfer (curl cannot write it).
  serve("Kestro-Setup-9.exe", "other bytes");
  EXPECT_EQ(fetch_with_curl("https://lumwerk.example/Kestro-Setup-9.exe", path, 0), "Download failed");
  EXPECT_EQ(slurp(path), expected);

  // A leftover that any process has open stays, even one that lets others delete it.
  EXPECT_FALSE(platform.delete_unused(path));
  open.file.reset();
  HANDLE watcher = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_FALSE(platform.delete_unused(path));
  CloseHandle(watcher);
  EXPECT_TRUE(platform.delete_unused(path));
  EXPECT_FALSE(exists(path));
  EXPECT_TRUE(platform.delete_unused(path));  // already gone
}

TEST_F(UpdaterWin, ReadFailuresGiveTheSystemText) {
  WindowsUpdaterPlatform platform;
  const TextOrError missing = platform.read_file(scratch("none.json"), 10);
  EXPECT_FALSE(missing.text);
  EXPECT_EQ(missing.error, os_error_text(ERROR_FILE_NOT_FOUND));
  const HeldOpen held = platform.open_held(scratch("none.exe"));
  EXPECT_FALSE(held.file);
  EXPECT_EQ(held.error, os_error_text(ERROR_FILE_NOT_FOUND));
  write(scratch("long.json"), std::string(100, 'x'));
  EXPECT_EQ(platform.read_file(scratch("long.json"), 10).text, std::string(11, 'x'));
  EXPECT_FALSE(platform.version_resource(*hold(installer("../curl.exe"))));  // no resource
}

TEST_F(UpdaterWin, SignaturesOfTheTestInstallers) {
  struct Case {
    const char* file;
    std::int32_t trust;
    std::optional<std::string> signer;
    bool accepted;
    std::optional<std::string> program = "Kestro Setup";
  };
  const Case cases[] = {
      {"norvale.exe", 0, "Norvale Tech Co., Ltd.", true},
      {"norvale-self.exe", 0, "Norvale Tech Co., Ltd.", true},  // this Wine trusts any root
      {"other.exe", 0, "Other Company Ltd.", false},
      {"case.exe", 0, "Norvale Tech Co., LTD.", false},
      {"space.exe", 0, "Norvale Tech Co., Ltd. ", false},
      {"other-program.exe", 0, "Norvale Tech Co., Ltd.", false, "Lumwerk Notes"},
      {"kestro-exe.exe", 0, "Norvale Tech Co., Ltd.", false, "Kestro"},  // as Kestro.exe is
      {"unsigned.exe", static_cast<std::int32_t>(0x800B0100), std::nullopt, false, std::nullopt},
      {"altered.exe", static_cast<std::int32_t>(0x80096010), std::nullopt, false, std::nullopt},
  };
  for (const Case& c : cases) {
    const std::unique_ptr<HeldFile> held = hold(installer(c.file));
    ASSERT_TRUE(held) << c.file;
    const SignatureReading reading = read_signature(*held, installer(c.file));
    EXPECT_EQ(reading.trust, c.trust) << c.file;
    EXPECT_EQ(reading.signer, c.signer) << c.file;
    EXPECT_EQ(program_name(reading.opus_info.value_or("")), c.program) << c.file;
    // Asked only of a valid signature; the test certificates name no revocation server.
    EXPECT_EQ(reading.revocation.has_value(), c.trust == 0) << c.file;
    EXPECT_EQ(signature_accepted(reading, kExpectedPublisher), c.accepted) << c.file;
  }
}

TEST_F(UpdaterWin, InstallerStartsOnlyAsTheHeldFile) {
  const std::string path = scratch("Kestro-Setup-1.2.0.exe");
  const std::string other = scratch("other.exe");
  for (const std::string& copy : {path, other}) {
    ASSERT_TRUE(CopyFileW(to_wide(fixtures() + "\\installer_standin.exe").c_str(), to_wide(copy).c_str(), FALSE));
  }
  write(scratch("not-a-program.exe"), "MZ? no");
  const std::string line = installer_command_line(path);
  // The held file's name leading to another file (as after a junction was re-pointed): refused.
  EXPECT_EQ(start_installer(*hold(other), path, line), "The installer's digital signature could not be verified");
  EXPECT_EQ(start_installer(*hold(scratch("not-a-program.exe")), scratch("not-a-program.exe"), line),
            os_error_text(ERROR_BAD_EXE_FORMAT));
  EXPECT_EQ(slurp(scratch("installer-runs.log")), "");
  ASSERT_EQ(start_installer(*hold(path), path, line), std::nullopt);
  const std::string log = scratch("installer-runs.log");
  for (int i = 0; i < 100 && slurp(log).empty(); ++i) Sleep(50);
  EXPECT_EQ(slurp(log), path + "\t" + line + "\n");
}

}  // namespace
}  // namespace kestro::updater

// The updater's Windows adapters under Wine: the working directory, curl.exe (a stand-in
// placed under a SystemRoot of the test's own), files held while they are verified,
// WinVerifyTrust on installers signed at test time, the installer start, and whole checks and
// downloads through the real platform.
//
// KESTRO_UPDATER_FIXTURES names a folder made by make_signed_installers.sh plus
// SystemRoot\System32\curl.exe and installer_standin.exe.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "app/updater/check.h"
#include "app/updater/download.h"
#include "app/updater/launch.h"
#include "app/updater/platform_win32.h"
#include "app/updater/publisher.h"
#include "app/updater/sha256.h"
#include "app/updater/threads_win32.h"
#include "base/utf16_win32.h"
#include "i18n/translate.h"

namespace kestro::updater {
namespace {

std::wstring environment(const wchar_t* name) {
  wchar_t buffer[4096];
  const DWORD length = GetEnvironmentVariableW(name, buffer, 4096);
  return length > 0 && length < 4096 ? std::wstring(buffer, length) : std::wstring();
}

std::string fixtures() { return from_wide(environment(L"KESTRO_UPDATER_FIXTURES")); }
std::string installer(const char* name) { return fixtures() + "\\installers\\" + name; }

std::string slurp(const std::string& path) {
  std::ifstream in(std::filesystem::path(to_wide(path)), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void write(const std::string& path, std::string_view bytes) {
  std::ofstream out(std::filesystem::path(to_wide(path)), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool exists(const std::string& path) {
  return GetFileAttributesW(to_wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A private stand-in root (served files and logs) and a SystemRoot whose curl.exe is the
// stand-in, for the life of one test.
class UpdaterWin : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(fixtures().empty()) << "KESTRO_UPDATER_FIXTURES is not set";
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    root = from_wide(temp) + "kestro-standin-" + std::to_string(GetCurrentProcessId()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    CreateDirectoryW(to_wide(root).c_str(), nullptr);
    // The prefix outlives the run and process ids come round again: start from empty logs.
    for (const char* log : {"\\curl-calls.log", "\\curl-exits.log", "\\installer-runs.log"}) {
      DeleteFileW(to_wide(root + log).c_str());
    }
    CreateDirectoryW(to_wide(root + "\\www").c_str(), nullptr);
    CreateDirectoryW(to_wide(root + "\\www\\lumwerk.example").c_str(), nullptr);
    SetEnvironmentVariableW(L"KESTRO_CURL_STANDIN", to_wide(root).c_str());
    saved_root = environment(L"SystemRoot");
    SetEnvironmentVariableW(L"SystemRoot", to_wide(fixtures() + "\\SystemRoot").c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"SystemRoot", saved_root.empty() ? nullptr : saved_root.c_str());
  }

  void serve(const std::string& name, std::string_view bytes) {
    write(root + "\\www\\lumwerk.example\\" + name, bytes);
  }
  std::string calls() { return slurp(root + "\\curl-calls.log"); }
  std::string scratch(const std::string& name) { return root + "\\" + name; }

  std::string root;
  std::wstring saved_root;
  ScopedLanguageOverride english{"en"};
};

TEST_F(UpdaterWin, WorkingDirectoryIsKestroInTheTemporaryDirectory) {
  const TextOrError directory = updater_directory();
  ASSERT_TRUE(directory.text) << directory.error;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const bool has_temp_path2 =
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTempPath2W") != nullptr;
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

TEST_F(UpdaterWin, FetchRunsCurlWithTheArgumentsAndNoConsole) {
  serve("a.bin", "served bytes");
  const std::string destination = scratch("dir with space\\out.bin");
  CreateDirectoryW(to_wide(scratch("dir with space")).c_str(), nullptr);
  EXPECT_EQ(fetch_with_curl("https://lumwerk.example/a.bin?v=0.1.0&lang=en", destination), std::nullopt);
  EXPECT_EQ(slurp(destination), "served bytes");
  EXPECT_EQ(calls(), "noconsole\t-fsSL\t--proto\t=https\t--max-time\t600\t-o\t" + destination +
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
    EXPECT_EQ(fetch_with_curl(c.url, scratch("out.bin")), c.failure) << c.url;
    EXPECT_FALSE(exists(scratch("out.bin"))) << c.url;
  }
  EXPECT_EQ(fetch_with_curl(std::string("https://lumwerk.example/a.bin\0x", 31), scratch("o")),
            os_error_text(ERROR_INVALID_PARAMETER));
  CreateDirectoryW(to_wide(root + "\\System32").c_str(), nullptr);
  SetEnvironmentVariableW(L"SystemRoot", to_wide(root).c_str());  // no System32\curl.exe there
  EXPECT_EQ(fetch_with_curl("https://lumwerk.example/a.bin", scratch("out.bin")),
            os_error_text(ERROR_FILE_NOT_FOUND));
}

TEST_F(UpdaterWin, HeldFileCannotBeChangedButCanBeReadAndVerified) {
  const std::string path = scratch("Kestro-Setup-9.exe");
  ASSERT_TRUE(CopyFileW(to_wide(installer("norvale.exe")).c_str(), to_wide(path).c_str(), FALSE));
  WindowsUpdaterPlatform platform;
  HeldRead read = platform.read_held(path);
  ASSERT_TRUE(read.file) << read.error;
  EXPECT_EQ(read.bytes, slurp(installer("norvale.exe")));

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
  EXPECT_TRUE(publisher_accepted(read_signature(path), kExpectedPublisher));
  // A second download onto the held file is a failed transfer (curl cannot write it).
  serve("Kestro-Setup-9.exe", "other bytes");
  EXPECT_EQ(fetch_with_curl("https://lumwerk.example/Kestro-Setup-9.exe", path), "Download failed");
  EXPECT_EQ(slurp(path), read.bytes);

  read.file.reset();
  EXPECT_TRUE(DeleteFileW(wide.c_str()));
}

TEST_F(UpdaterWin, ReadFailuresGiveTheSystemText) {
  WindowsUpdaterPlatform platform;
  const TextOrError missing = platform.read_file(scratch("none.json"));
  EXPECT_FALSE(missing.text);
  EXPECT_EQ(missing.error, os_error_text(ERROR_FILE_NOT_FOUND));
  const HeldRead held = platform.read_held(scratch("none.exe"));
  EXPECT_FALSE(held.file);
  EXPECT_EQ(held.error, os_error_text(ERROR_FILE_NOT_FOUND));
}

TEST_F(UpdaterWin, SignaturesOfTheTestInstallers) {
  struct Case {
    const char* file;
    std::int32_t trust;
    std::optional<std::string> signer;
    bool accepted;
  };
  const Case cases[] = {
      {"norvale.exe", 0, "Norvale Tech Co., Ltd.", true},
      {"norvale-self.exe", 0, "Norvale Tech Co., Ltd.", true},  // this Wine trusts any root
      {"other.exe", 0, "Other Company Ltd.", false},
      {"case.exe", 0, "Norvale Tech Co., LTD.", false},
      {"space.exe", 0, "Norvale Tech Co., Ltd. ", false},
      {"unsigned.exe", static_cast<std::int32_t>(0x800B0100), std::nullopt, false},
      {"altered.exe", static_cast<std::int32_t>(0x80096010), std::nullopt, false},
      {"missing.exe", 2, std::nullopt, false},
  };
  for (const Case& c : cases) {
    const SignatureReading reading = read_signature(installer(c.file));
    EXPECT_EQ(reading.trust, c.trust) << c.file;
    EXPECT_EQ(reading.signer, c.signer) << c.file;
    EXPECT_EQ(publisher_accepted(reading, kExpectedPublisher), c.accepted) << c.file;
  }
}

TEST_F(UpdaterWin, InstallerStartsWithItsSwitches) {
  const std::string path = scratch("Kestro-Setup-1.2.0.exe");
  ASSERT_TRUE(CopyFileW(to_wide(fixtures() + "\\installer_standin.exe").c_str(), to_wide(path).c_str(), FALSE));
  const std::string line = installer_command_line(path);
  ASSERT_TRUE(start_installer(path, line));
  const std::string log = scratch("installer-runs.log");
  for (int i = 0; i < 100 && slurp(log).empty(); ++i) Sleep(50);
  EXPECT_EQ(slurp(log), path + "\t" + line + "\n");
  EXPECT_FALSE(start_installer(scratch("absent.exe"), installer_command_line(scratch("absent.exe"))));
}

std::string digest_of(const std::string& path) { return *sha256_hex(slurp(path)); }

TEST_F(UpdaterWin, WholeDownloadThroughThePlatform) {
  const std::string signed_bytes = slurp(installer("norvale.exe"));
  serve("good.exe", signed_bytes);
  serve("other.exe", slurp(installer("other.exe")));
  WindowsUpdaterPlatform platform;
  const TextOrError directory = updater_directory();
  ASSERT_TRUE(directory.text);
  const std::string target = join_path(*directory.text, "Kestro-Setup-77.0.exe");
  DeleteFileW(to_wide(target).c_str());

  UpdateInfo info{"77.0", "https://lumwerk.example/good.exe", digest_of(installer("norvale.exe")),
                  signed_bytes.size()};
  DownloadResult first = run_download(platform, info);
  ASSERT_TRUE(std::holds_alternative<InstallerReady>(first))
      << std::get<DownloadFailed>(first).text;
  EXPECT_EQ(std::get<InstallerReady>(first).path, target);
  // While the first is held, a second download of the same file fails as a transfer.
  DownloadResult second = run_download(platform, info);
  ASSERT_TRUE(std::holds_alternative<DownloadFailed>(second));
  EXPECT_EQ(std::get<DownloadFailed>(second).text, "Download failed");
  EXPECT_EQ(slurp(target), signed_bytes);
  std::get<InstallerReady>(first).held.reset();

  // Another company's installer with its own right digest: rejected and deleted.
  UpdateInfo wrong{"77.0", "https://lumwerk.example/other.exe", digest_of(installer("other.exe")), 0};
  DownloadResult rejected = run_download(platform, wrong);
  ASSERT_TRUE(std::holds_alternative<DownloadFailed>(rejected));
  EXPECT_EQ(std::get<DownloadFailed>(rejected).text,
            "The installer's digital signature could not be verified");
  EXPECT_FALSE(exists(target));
}

TEST_F(UpdaterWin, WholeCheckThroughThePlatform) {
  CreateDirectoryW(to_wide(root + "\\www\\lumwerk.example\\Kestro").c_str(), nullptr);
  serve("Kestro\\update.json",
        R"({"version": "0.2", "url": "https://lumwerk.example/K.exe", "sha256": "AB", "size": 7})");
  WindowsUpdaterPlatform platform;
  const CheckResult result = run_update_check(
      platform, "https://lumwerk.example/Kestro/update.json?v=0.1.0&lang=en", "0.1.0");
  const CheckResult expected = Available{UpdateInfo{"0.2", "https://lumwerk.example/K.exe", "ab", 7}};
  EXPECT_EQ(result, expected);
  EXPECT_FALSE(exists(join_path(*updater_directory().text, "update.json")));
}

// A window that receives the threads' messages.
struct MessageWindow {
  MessageWindow() {
    window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  ~MessageWindow() { DestroyWindow(window); }
  bool wait_for(UINT message) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    MSG msg;
    while (std::chrono::steady_clock::now() < end) {
      while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) {
        if (msg.message == message) return true;
      }
      Sleep(10);
    }
    return false;
  }
  HWND window;
};

TEST_F(UpdaterWin, ThreadsHandOverAndPost) {
  MessageWindow receiver;
  ASSERT_NE(receiver.window, nullptr);
  ASSERT_TRUE(start_download_thread(receiver.window, WM_APP + 3,
                                    UpdateInfo{"78.0", "https://lumwerk.example/none.exe", "00", 0}));
  ASSERT_TRUE(receiver.wait_for(WM_APP + 3));
  std::optional<DownloadResult> download = download_slot().take();
  ASSERT_TRUE(download);
  EXPECT_EQ(std::get<DownloadFailed>(*download).text, "Download failed");

  ASSERT_TRUE(start_update_check_thread(receiver.window, WM_APP + 2, true));
  ASSERT_TRUE(receiver.wait_for(WM_APP + 2));
  std::optional<CheckDelivery> check = update_check_slot().take();
  ASSERT_TRUE(check);
  EXPECT_TRUE(check->manual);
  EXPECT_EQ(check->result, CheckResult{CheckFailed{"Download failed"}});  // nothing served
}

}  // namespace
}  // namespace kestro::updater

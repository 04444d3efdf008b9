// The updater's Windows adapters under Wine: the working directory, curl.exe (a stand-in the
// tests put into the system directory), files held while they are verified, WinVerifyTrust on
// installers signed at test time, the installer start, and whole checks and downloads through
// the real platform.
//
// KESTRO_UPDATER_FIXTURES names a folder made by prepare_fixtures.sh: installers/*.exe (signed
// at test time), curl.exe and installer_standin.exe.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/updater/check.h"
#include "app/updater/download.h"
#include "app/updater/launch.h"
#include "app/updater/platform_win32.h"
#include "app/updater/sha256.h"
#include "app/updater/signature.h"
#include "app/updater/threads_win32.h"
#include "base/handles_win32.h"
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

std::string system_curl() {
  wchar_t directory[MAX_PATH];
  GetSystemDirectoryW(directory, MAX_PATH);
  return from_wide(directory) + "\\curl.exe";
}

std::unique_ptr<HeldFile> hold(const std::string& path) {
  WindowsUpdaterPlatform platform;
  return platform.open_held(path).file;
}

// A private stand-in root (served files and logs) for the life of one test, and the stand-in
// as the system's curl.exe.
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
    ASSERT_TRUE(CopyFileW(to_wide(fixtures() + "\\curl.exe").c_str(), to_wide(system_curl()).c_str(), FALSE));
  }

  void serve(const std::string& name, std::string_view bytes) {
    write(root + "\\www\\lumwerk.example\\" + name, bytes);
  }
  std::string calls() { return slurp(root + "\\curl-calls.log"); }
  std::string scratch(const std::string& name) { return root + "\\" + name; }

  std::string root;
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
  EXPECT_TRUE(publisher_accepted(read_signature(*open.file, path), kExpectedPublisher));
  EXPECT_EQ(platform.file_version(*open.file), (std::vector<std::uint32_t>{1, 2, 0, 0}));
  // A second download onto the held file is a failed transfer (curl cannot write it).
  serve("Kestro-Setup-9.exe", "other bytes");
  EXPECT_EQ(fetch_with_curl("https://lumwerk.example/Kestro-Setup-9.exe", path, 0), "Download failed");
  EXPECT_EQ(slurp(path), expected);

  open.file.reset();
  EXPECT_TRUE(DeleteFileW(wide.c_str()));
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
  EXPECT_EQ(platform.file_version(*hold(installer("../curl.exe"))), std::nullopt);  // no resource
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
  };
  for (const Case& c : cases) {
    const std::unique_ptr<HeldFile> held = hold(installer(c.file));
    ASSERT_TRUE(held) << c.file;
    const SignatureReading reading = read_signature(*held, installer(c.file));
    EXPECT_EQ(reading.trust, c.trust) << c.file;
    EXPECT_EQ(reading.signer, c.signer) << c.file;
    EXPECT_EQ(publisher_accepted(reading, kExpectedPublisher), c.accepted) << c.file;
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

std::string digest_of(const std::string& path) { return *sha256_hex(slurp(path)); }

// The Windows platform, counting what is read through held files.
class CountingPlatform : public UpdaterPlatform {
 public:
  class Counted : public HeldFile {
   public:
    Counted(std::unique_ptr<HeldFile> file, std::uint64_t& bytes) : file_(std::move(file)), bytes_(bytes) {}
    std::optional<std::uint64_t> size() override { return file_->size(); }
    std::optional<std::size_t> read(std::span<char> buffer) override {
      const auto got = file_->read(buffer);
      bytes_ += got.value_or(0);
      return got;
    }
    std::string error() const override { return file_->error(); }
    std::unique_ptr<HeldFile> file_;
    std::uint64_t& bytes_;
  };
  TextOrError working_directory() override { return real.working_directory(); }
  FolderFacts folder_facts(std::string_view path) override { return real.folder_facts(path); }
  bool elevated() override { return real.elevated(); }
  std::optional<std::string> random_bytes(std::size_t count) override { return real.random_bytes(count); }
  bool create_private_folder(std::string_view path, std::string_view security) override {
    return real.create_private_folder(path, security);
  }
  void remove_folder(std::string_view path) override { real.remove_folder(path); }
  std::optional<std::string> fetch(std::string_view url, std::string_view to, std::uint64_t max) override {
    return real.fetch(url, to, max);
  }
  TextOrError read_file(std::string_view path, std::uint64_t max) override { return real.read_file(path, max); }
  HeldOpen open_held(std::string_view path) override {
    HeldOpen open = real.open_held(path);
    if (open.file) open.file = std::make_unique<Counted>(std::move(open.file), bytes_read);
    return open;
  }
  std::unique_ptr<Sha256> sha256() override { return real.sha256(); }
  SignatureReading read_signature(HeldFile& file, std::string_view path) override {
    return real.read_signature(*static_cast<Counted&>(file).file_, path);
  }
  std::optional<std::vector<std::uint32_t>> file_version(HeldFile& file) override {
    return real.file_version(*static_cast<Counted&>(file).file_);
  }
  void delete_file(std::string_view path) override { real.delete_file(path); }

  WindowsUpdaterPlatform real;
  std::uint64_t bytes_read = 0;
};

// Every file the updater left under the working directory, relative to it.
std::vector<std::string> left_in_working_directory() {
  std::vector<std::string> left;
  const std::filesystem::path top(to_wide(*updater_directory().text));
  for (const auto& entry : std::filesystem::recursive_directory_iterator(top)) {
    left.push_back(from_wide(entry.path().lexically_relative(top).wstring()));
  }
  return left;
}

TEST_F(UpdaterWin, WholeDownloadThroughThePlatform) {
  const std::string signed_bytes = slurp(installer("norvale.exe"));
  serve("good.exe", signed_bytes);
  serve("other.exe", slurp(installer("other.exe")));
  std::filesystem::remove_all(std::filesystem::path(to_wide(*updater_directory().text)));
  CountingPlatform platform;

  const UpdateInfo info{"1.2.0", "https://lumwerk.example/good.exe", digest_of(installer("norvale.exe")),
                        signed_bytes.size()};
  DownloadResult first = run_download(platform, info);
  ASSERT_TRUE(std::holds_alternative<InstallerReady>(first)) << std::get<DownloadFailed>(first).text;
  const InstallerReady& ready = std::get<InstallerReady>(first);
  EXPECT_EQ(slurp(ready.path), signed_bytes);
  EXPECT_EQ(platform.bytes_read, signed_bytes.size());  // once, for the digest
  // An elevated copy keeps it in a new folder of its own inside the working directory.
  EXPECT_EQ(ready.folder.private_folder, platform.elevated());
  EXPECT_EQ(ready.path, join_path(ready.folder.path, "Kestro-Setup-1.2.0.exe"));
  std::get<InstallerReady>(first).held.reset();
  discard_work_file(platform, ready.folder, ready.path);

  struct Rejected {
    const char* name;
    UpdateInfo info;
    std::uint64_t served_size;  // 0: the file served as it is
    const char* text;
  };
  const Rejected cases[] = {
      {"another company's installer with its right digest",
       {"1.2.0", "https://lumwerk.example/other.exe", digest_of(installer("other.exe")), 0}, 0,
       "The installer's digital signature could not be verified"},
      // The maker's own signature on an installer older than the manifest says.
      {"an older installer", {"1.3.0", "https://lumwerk.example/good.exe", info.sha256, 0}, 0,
       "The installer's digital signature could not be verified"},
      // 256 MiB where the manifest says 1 MiB: refused before a byte is read.
      {"256 MiB for 1 MiB", {"1.2.0", "https://lumwerk.example/big.exe", info.sha256, 1 << 20}, 256u << 20,
       "Downloaded size mismatch"},
  };
  {
    const std::wstring big = to_wide(root + "\\www\\lumwerk.example\\big.exe");
    const UniqueHandle file(CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    LARGE_INTEGER size{};
    size.QuadPart = 256LL << 20;
    ASSERT_TRUE(SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()));
  }
  for (const Rejected& c : cases) {
    platform.bytes_read = 0;
    DownloadResult rejected = run_download(platform, c.info);
    ASSERT_TRUE(std::holds_alternative<DownloadFailed>(rejected)) << c.name;
    EXPECT_EQ(std::get<DownloadFailed>(rejected).text, c.text) << c.name;
    if (c.served_size != 0) EXPECT_EQ(platform.bytes_read, 0u) << c.name;
    EXPECT_EQ(left_in_working_directory(), std::vector<std::string>{}) << c.name;
  }
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
  EXPECT_EQ(left_in_working_directory(), std::vector<std::string>{});
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

// Whole checks and downloads through the Windows platform under Wine, and the threads that hand
// their outcome to a window.

#include <gtest/gtest.h>

#include <filesystem>

#include "updater/updater_win_fixture.h"

namespace kestro::updater {
namespace {

using namespace test_win;

std::string digest_of(const std::string& path) { return *sha256_hex(slurp(path)); }

// The Windows platform, counting what is read through held files.
class CountingPlatform : public WindowsUpdaterPlatform {
 public:
  class Counted : public HeldFile {
   public:
    Counted(std::unique_ptr<HeldFile> file, std::uint64_t& bytes)
        : file_(std::move(file)), bytes_(bytes) {}
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
  HeldOpen open_held(std::string_view path) override {
    HeldOpen open = WindowsUpdaterPlatform::open_held(path);
    if (open.file) open.file = std::make_unique<Counted>(std::move(open.file), bytes_read);
    return open;
  }
  SignatureReading read_signature(HeldFile& file, std::string_view path) override {
    return WindowsUpdaterPlatform::read_signature(*static_cast<Counted&>(file).file_, path);
  }
  std::optional<VersionResource> version_resource(HeldFile& file) override {
    return WindowsUpdaterPlatform::version_resource(*static_cast<Counted&>(file).file_);
  }

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
  serve("kestro-exe.exe", slurp(installer("kestro-exe.exe")));
  std::filesystem::remove_all(std::filesystem::path(to_wide(*updater_directory().text)));
  CountingPlatform platform;

  const UpdateInfo info{"1.2.0", "https://lumwerk.example/good.exe", digest_of(installer("norvale.exe")),
                        signed_bytes.size()};
  DownloadResult first = run_download(platform, info);
  ASSERT_TRUE(std::holds_alternative<InstallerReady>(first)) << std::get<DownloadFailed>(first).text;
  const InstallerReady& ready = std::get<InstallerReady>(first);
  EXPECT_EQ(slurp(ready.path), signed_bytes);
  EXPECT_EQ(platform.bytes_read, signed_bytes.size());  // once, for the digest
  EXPECT_EQ(ready.path, join_path(*updater_directory().text, "Kestro-Setup-1.2.0.exe"));
  std::get<InstallerReady>(first).held.reset();
  EXPECT_TRUE(platform.delete_file(ready.path));

  struct Rejected {
    const char* name;
    UpdateInfo info;
    std::uint64_t served_size;  // 0: the file served as it is
    const char* text;
  };
  serve("endless.exe", signed_bytes);
  serve("endless.exe.endless", "");
  const Rejected cases[] = {
      {"another company's installer with its right digest",
       {"1.2.0", "https://lumwerk.example/other.exe", digest_of(installer("other.exe")),
        slurp(installer("other.exe")).size()}, 0,
       "The installer's digital signature could not be verified"},
      // Kestro.exe as the maker signs it passes every other check an installer passes.
      {"a signed Kestro.exe as the installer",
       {"1.2.0", "https://lumwerk.example/kestro-exe.exe", digest_of(installer("kestro-exe.exe")),
        slurp(installer("kestro-exe.exe")).size()}, 0,
       "The installer's digital signature could not be verified"},
      // The maker's own signature on an installer older than the manifest says.
      {"an older installer", {"1.3.0", "https://lumwerk.example/good.exe", info.sha256, info.size}, 0,
       "The installer's digital signature could not be verified"},
      // 256 MiB where the manifest says 1 MiB: stopped at the bound, however fast it came.
      {"256 MiB for 1 MiB", {"1.2.0", "https://lumwerk.example/big.exe", info.sha256, 1 << 20}, 256u << 20,
       "Download failed"},
      // 256 MiB where the manifest says 300 MiB: refused before a byte is read.
      {"256 MiB for 300 MiB", {"1.2.0", "https://lumwerk.example/big.exe", info.sha256, 300u << 20}, 256u << 20,
       "Downloaded size mismatch"},
      // A server that never stops: curl is ended once the file passes the manifest's size.
      {"an endless stream", {"1.2.0", "https://lumwerk.example/endless.exe", info.sha256, 1 << 20}, 0,
       "Download failed"},
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
  const std::string offer = R"({"version": "0.2", "url": "https://lumwerk.example/K.exe", "sha256": "AB")";
  const struct {
    const char* name;
    std::string served;
    bool endless;
    CheckResult expected;
  } cases[] = {
      {"an offer", offer + R"(, "size": 7})", false,
       Available{UpdateInfo{"0.2", "https://lumwerk.example/K.exe", "ab", 7}}},
      {"no size: no bound, refused", offer + "}", false, CheckFailed{"manifest"}},
      {"a manifest without end: stopped", offer + std::string(1000, ' '), true, CheckFailed{"Download failed"}},
  };
  for (const auto& c : cases) {
    serve("Kestro\\update.json", c.served);
    const std::string endless = "Kestro\\update.json.endless";
    if (c.endless) serve(endless, "");
    WindowsUpdaterPlatform platform;
    const CheckResult result = run_update_check(
        platform, "https://lumwerk.example/Kestro/update.json?v=0.1.0&lang=en", "0.1.0");
    EXPECT_EQ(result, c.expected) << c.name;
    EXPECT_EQ(left_in_working_directory(), std::vector<std::string>{}) << c.name;
  }
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
  const SharedSlot<DownloadResult> downloads = std::make_shared<DownloadSlot>();
  ASSERT_TRUE(start_download_thread(downloads, PostTo{receiver.window, WM_APP + 3},
                                    UpdateInfo{"78.0", "https://lumwerk.example/none.exe", "00", 1}));
  ASSERT_TRUE(receiver.wait_for(WM_APP + 3));
  std::optional<DownloadResult> download = downloads->take();
  ASSERT_TRUE(download);
  EXPECT_EQ(std::get<DownloadFailed>(*download).text, "Download failed");

  const SharedSlot<CheckDelivery> checks = std::make_shared<UpdateCheckSlot>();
  ASSERT_TRUE(start_update_check_thread(checks, PostTo{receiver.window, WM_APP + 2}, true));
  ASSERT_TRUE(receiver.wait_for(WM_APP + 2));
  std::optional<CheckDelivery> check = checks->take();
  ASSERT_TRUE(check);
  EXPECT_TRUE(check->manual);
  EXPECT_EQ(check->result, CheckResult{CheckFailed{"Download failed"}});  // nothing served
}

}  // namespace
}  // namespace kestro::updater

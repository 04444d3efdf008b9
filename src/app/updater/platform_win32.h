#pragma once
// The updater's operating-system side on Windows: the working directory, curl.exe, files held
// while they are verified, the Authenticode check, the installer start and the clock.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/updater/platform.h"

namespace kestro::updater {

// The system's message for `code` on one line, then " (os error N)".
std::string os_error_text(DWORD code);

// The temporary directory (GetTempPath2W where the system has it, else GetTempPathW) joined
// with "Kestro", created with any missing parents (failures ignored).
TextOrError updater_directory();

// Runs curl.exe from the system directory (GetSystemDirectoryW, never an environment
// variable) with curl_arguments(), without a console window, inside a job object that ends it
// when Kestro ends, and waits for it without a time limit, measuring `destination` about four
// times a second: past `max_bytes` curl is ended. Nothing when it exited with 0; "Download
// failed" for any other exit code or a stopped transfer; the system error text when it could
// not be started or waited for.
std::optional<std::string> fetch_with_curl(std::string_view url, std::string_view destination,
                                           std::uint64_t max_bytes);

// WinVerifyTrust (generic verify v2, no UI, no revocation checks) on the held file's handle,
// the first signer's signing certificate's simple display name when the signature is valid,
// and the state released again in every case.
SignatureReading read_signature(HeldFile& file, std::string_view path);

// Starts the held installer directly (no shell, no elevation request, no creation flags,
// standard handles inherited) and closes its process and thread handles; only when `path`
// still names the very file that is held. Nothing when it started; otherwise the signature
// text (`path` leads elsewhere now) or the system error text.
std::optional<std::string> start_installer(const HeldFile& file, std::string_view path,
                                           std::string_view command_line);

// Whole seconds since 1970-01-01 UTC (GetSystemTimePreciseAsFileTime; before 1970: 0).
std::uint64_t unix_now();

class WindowsUpdaterPlatform : public UpdaterPlatform {
 public:
  TextOrError working_directory() override { return updater_directory(); }
  FolderFacts folder_facts(std::string_view path) override;
  std::vector<std::string> files_matching(std::string_view directory,
                                          std::string_view pattern) override;
  void pause(std::uint32_t milliseconds) override;
  std::optional<std::string> fetch(std::string_view url, std::string_view destination,
                                   std::uint64_t max_bytes) override {
    return fetch_with_curl(url, destination, max_bytes);
  }
  TextOrError read_file(std::string_view path, std::uint64_t max_bytes) override;
  HeldOpen open_held(std::string_view path) override;
  std::unique_ptr<Sha256> sha256() override { return system_sha256(); }
  SignatureReading read_signature(HeldFile& file, std::string_view path) override {
    return updater::read_signature(file, path);
  }
  std::optional<std::vector<std::uint32_t>> file_version(HeldFile& file) override;
  bool delete_file(std::string_view path) override;
};

}  // namespace kestro::updater

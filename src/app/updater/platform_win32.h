#pragma once
// The updater's operating-system side on Windows: the working directory, curl.exe, files,
// the Authenticode check, the installer start and the clock.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/updater/platform.h"

namespace kestro::updater {

// The system's message for `code` on one line, then " (os error N)".
std::string os_error_text(DWORD code);

// The temporary directory (GetTempPath2W where the system has it, else GetTempPathW) joined
// with "Kestro", created with any missing parents (failures ignored).
TextOrError updater_directory();

// Runs `%SystemRoot%\System32\curl.exe -fsSL --proto =https --max-time 600 -o <destination>
// <url>` without a console window and waits for it without a time limit. Nothing when it
// exited with 0; "Download failed" for any other exit code; the system error text when it
// could not be started or waited for.
std::optional<std::string> fetch_with_curl(std::string_view url, std::string_view destination);

// WinVerifyTrust (generic verify v2, no UI, no revocation checks) on the file by its path,
// the first signer's signing certificate's simple display name when the signature is valid,
// and the state released again in every case.
SignatureReading read_signature(std::string_view path);

// Starts the installer directly (no shell, no elevation request, no creation flags, standard
// handles inherited) and closes its process and thread handles. True when it started.
bool start_installer(std::string_view path, std::string_view command_line);

// Whole seconds since 1970-01-01 UTC (GetSystemTimePreciseAsFileTime; before 1970: 0).
std::uint64_t unix_now();

class WindowsUpdaterPlatform final : public UpdaterPlatform {
 public:
  TextOrError working_directory() override { return updater_directory(); }
  std::optional<std::string> fetch(std::string_view url, std::string_view destination) override {
    return fetch_with_curl(url, destination);
  }
  TextOrError read_file(std::string_view path) override;
  HeldRead read_held(std::string_view path) override;
  std::optional<std::string> sha256_hex(std::string_view bytes) override;
  SignatureReading read_signature(std::string_view path) override {
    return updater::read_signature(path);
  }
  void delete_file(std::string_view path) override;
};

}  // namespace kestro::updater

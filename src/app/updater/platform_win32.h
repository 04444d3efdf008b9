#pragma once
// The updater's operating-system side on Windows: the working directory, curl.exe
// (curl_win32.h), files held while they are verified (held_file_win32.h), the Authenticode
// check (signature_win32.h), the installer start (installer_start_win32.h) and the clock.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/updater/curl_win32.h"
#include "app/updater/held_file_win32.h"
#include "app/updater/installer_start_win32.h"
#include "app/updater/platform.h"
#include "app/updater/signature_win32.h"
#include "app/updater/system_error_win32.h"

namespace kestro::updater {

// The temporary directory (GetTempPath2W where the system has it, else GetTempPathW) joined
// with "Kestro", created with any missing parents (failures ignored).
TextOrError updater_directory();

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
  std::optional<VersionResource> version_resource(HeldFile& file) override;
  bool delete_file(std::string_view path) override;
  bool delete_unused(std::string_view path) override;
};

}  // namespace kestro::updater

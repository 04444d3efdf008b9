#pragma once
// What the updater's Windows tests share: the fixtures folder (KESTRO_UPDATER_FIXTURES, made by
// prepare_fixtures.sh: installers/*.exe signed at test time, curl.exe, installer_standin.exe),
// files, and a test that serves its own files through the curl stand-in, which it puts into the
// system directory as curl.exe.

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

namespace kestro::updater::test_win {

inline std::wstring environment(const wchar_t* name) {
  wchar_t buffer[4096];
  const DWORD length = GetEnvironmentVariableW(name, buffer, 4096);
  return length > 0 && length < 4096 ? std::wstring(buffer, length) : std::wstring();
}

inline std::string fixtures() { return from_wide(environment(L"KESTRO_UPDATER_FIXTURES")); }
inline std::string installer(const char* name) { return fixtures() + "\\installers\\" + name; }

inline std::string slurp(const std::string& path) {
  std::ifstream in(std::filesystem::path(to_wide(path)), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline void write(const std::string& path, std::string_view bytes) {
  std::ofstream out(std::filesystem::path(to_wide(path)), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline bool exists(const std::string& path) {
  return GetFileAttributesW(to_wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::string system_curl() {
  wchar_t directory[MAX_PATH];
  GetSystemDirectoryW(directory, MAX_PATH);
  return from_wide(directory) + "\\curl.exe";
}

inline std::unique_ptr<HeldFile> hold(const std::string& path) {
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
    // The prefix outlives the run and process ids come round again: start from an empty root
    // (a served file's ".endless" marker left by an earlier run would serve it without end).
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(to_wide(root)), ignored);
    CreateDirectoryW(to_wide(root).c_str(), nullptr);
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

}  // namespace kestro::updater::test_win

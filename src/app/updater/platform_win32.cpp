#include "app/updater/platform_win32.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "app/updater/launch.h"
#include "app/updater/schedule.h"
#include "app/updater/system_error_win32.h"
#include "base/handles_win32.h"
#include "base/system_library_win32.h"
#include "base/utf16_win32.h"

namespace kestro::updater {

namespace {

std::optional<std::wstring> temp_directory(DWORD& error) {
  // GetTempPath2W exists from Windows 11 and recent Windows 10 updates on; older systems (and
  // Wine) lack it, so it is looked up at run time.
  static const SystemFunction<DWORD, DWORD, LPWSTR> temp_path2(L"kernel32.dll", "GetTempPath2W", 0);
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = temp_path2 ? temp_path2(size, buffer.data()) : GetTempPathW(size, buffer.data());
    if (length == 0) {
      error = GetLastError();
      return std::nullopt;
    }
    if (length < size) return std::wstring(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

// Creates every folder of `path` from the outside in; each failure (it exists, it is the
// drive, no rights) is ignored.
void create_directories(const std::wstring& path) {
  for (std::size_t at = path.find_first_of(L"\\/"); at != std::wstring::npos;
       at = path.find_first_of(L"\\/", at + 1)) {
    if (at > 0) (void)CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  }
  (void)CreateDirectoryW(path.c_str(), nullptr);
}

// Reads from the current position to the end, at most `limit` bytes.
bool read_up_to(HANDLE file, std::uint64_t limit, std::string& bytes, DWORD& error) {
  char chunk[1 << 16];
  while (bytes.size() < limit) {
    const auto want = static_cast<DWORD>(std::min<std::uint64_t>(sizeof chunk, limit - bytes.size()));
    DWORD got = 0;
    if (!ReadFile(file, chunk, want, &got, nullptr)) {
      error = GetLastError();
      return false;
    }
    if (got == 0) break;
    bytes.append(chunk, got);
  }
  return true;
}

}  // namespace

TextOrError updater_directory() {
  DWORD error = ERROR_SUCCESS;
  const std::optional<std::wstring> temp = temp_directory(error);
  if (!temp) return {std::nullopt, os_error_text(error)};
  const std::string directory = join_path(from_wide(*temp), kDirectoryName);
  create_directories(to_wide(directory));
  return {directory, {}};
}

FolderFacts WindowsUpdaterPlatform::folder_facts(std::string_view path) {
  // The attributes of the name itself: a junction or link is not followed.
  const DWORD attributes = GetFileAttributesW(to_wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return FolderFacts{};
  return FolderFacts{true, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                     (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0};
}

std::vector<std::string> WindowsUpdaterPlatform::files_matching(std::string_view directory,
                                                                std::string_view pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileExW(to_wide(join_path(directory, pattern)).c_str(),
                                         FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return names;
  const ScopedOwner<HANDLE, FindClose> owned(search);
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      names.push_back(from_wide_up_to_nul(found.cFileName, MAX_PATH));
    }
  } while (FindNextFileW(search, &found));
  return names;
}

void WindowsUpdaterPlatform::pause(std::uint32_t milliseconds) { Sleep(milliseconds); }

TextOrError WindowsUpdaterPlatform::read_file(std::string_view path, std::uint64_t max_bytes) {
  const UniqueHandle file(CreateFileW(to_wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return {std::nullopt, os_error_text(GetLastError())};
  std::string bytes;
  DWORD error = ERROR_SUCCESS;
  if (!read_up_to(file.get(), max_bytes + 1, bytes, error)) return {std::nullopt, os_error_text(error)};
  return {std::move(bytes), {}};
}

HeldOpen WindowsUpdaterPlatform::open_held(std::string_view path) { return open_held_file(path); }

std::optional<VersionResource> WindowsUpdaterPlatform::version_resource(HeldFile& file) {
  return held_version_resource(file);
}

bool WindowsUpdaterPlatform::delete_file(std::string_view path) {
  if (DeleteFileW(to_wide(path).c_str())) return true;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool WindowsUpdaterPlatform::delete_unused(std::string_view path) {
  // Sharing nothing, the file opens only while no process has it open, and none can open it
  // before it is gone when this handle closes. A link put there is opened, and removed,
  // itself: never the file it points to.
  const UniqueHandle file(CreateFileW(to_wide(path).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr));
  if (file.valid()) return true;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::uint64_t unix_now() {
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  return unix_seconds_from_filetime(static_cast<std::uint64_t>(now.dwHighDateTime) << 32 |
                                    now.dwLowDateTime);
}

}  // namespace kestro::updater

#include "app/updater/platform_win32.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <memory>
#include <vector>

#include "app/updater/launch.h"
#include "app/updater/schedule.h"
#include "app/updater/sha256.h"
#include "app/updater/system_error.h"
#include "app/updater/texts.h"
#include "base/handles_win32.h"
#include "base/utf16_win32.h"
#include "i18n/translate.h"

namespace kestro::updater {

namespace {

struct LocalFreer {
  void operator()(void* memory) const { LocalFree(memory); }
};

std::optional<std::wstring> environment_variable(const wchar_t* name) {
  std::vector<wchar_t> buffer(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::wstring();  // set but empty
    }
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length);
  }
}

using GetTempPath2WFunction = DWORD(WINAPI*)(DWORD, LPWSTR);

// GetTempPath2W exists from Windows 11 and recent Windows 10 updates on; older systems (and
// Wine) lack it, so it is looked up at run time.
GetTempPath2WFunction get_temp_path2() {
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return nullptr;
  const FARPROC found = GetProcAddress(kernel, "GetTempPath2W");
  return reinterpret_cast<GetTempPath2WFunction>(reinterpret_cast<void (*)()>(found));
}

std::optional<std::wstring> temp_directory(DWORD& error) {
  const GetTempPath2WFunction temp_path2 = get_temp_path2();
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = temp_path2 != nullptr ? temp_path2(size, buffer.data())
                                               : GetTempPathW(size, buffer.data());
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

// Reads from the current position to the end.
bool read_all(HANDLE file, std::string& bytes, DWORD& error) {
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0) {
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  }
  char chunk[1 << 16];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
      error = GetLastError();
      return false;
    }
    if (got == 0) return true;
    bytes.append(chunk, got);
  }
}

class HeldHandle final : public HeldFile {
 public:
  explicit HeldHandle(UniqueHandle handle) : handle_(std::move(handle)) {}

 private:
  UniqueHandle handle_;
};

}  // namespace

std::string os_error_text(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  const std::unique_ptr<void, LocalFreer> owned(buffer);
  const std::string message = length > 0 ? from_wide(std::wstring_view(buffer, length)) : "";
  return system_error_text(message, code);
}

TextOrError updater_directory() {
  DWORD error = ERROR_SUCCESS;
  const std::optional<std::wstring> temp = temp_directory(error);
  if (!temp) return {std::nullopt, os_error_text(error)};
  const std::string directory = join_path(from_wide(*temp), kDirectoryName);
  create_directories(to_wide(directory));
  return {directory, {}};
}

std::optional<std::string> fetch_with_curl(std::string_view url, std::string_view destination) {
  const std::optional<std::wstring> root = environment_variable(L"SystemRoot");
  const std::string program =
      root ? curl_path(from_wide(*root)) : curl_path(std::nullopt);
  const std::optional<std::string> line = command_line(program, curl_arguments(url, destination));
  if (!line) return os_error_text(ERROR_INVALID_PARAMETER);  // a NUL would cut it short

  const std::wstring wide_program = to_wide(program);
  std::wstring wide_line = to_wide(*line);  // CreateProcessW may write into it
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(wide_program.c_str(), wide_line.data(), nullptr, nullptr, TRUE,
                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started)) {
    return os_error_text(GetLastError());
  }
  const UniqueHandle process(started.hProcess);
  const UniqueHandle thread(started.hThread);
  if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0) {
    return os_error_text(GetLastError());
  }
  DWORD exit_code = 0;
  if (!GetExitCodeProcess(process.get(), &exit_code)) return os_error_text(GetLastError());
  if (exit_code != 0) return std::string(translate(texts::kDownloadFailed));
  return std::nullopt;
}

TextOrError WindowsUpdaterPlatform::read_file(std::string_view path) {
  const UniqueHandle file(CreateFileW(to_wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return {std::nullopt, os_error_text(GetLastError())};
  std::string bytes;
  DWORD error = ERROR_SUCCESS;
  if (!read_all(file.get(), bytes, error)) return {std::nullopt, os_error_text(error)};
  return {std::move(bytes), {}};
}

HeldRead WindowsUpdaterPlatform::read_held(std::string_view path) {
  // Others may read (the signature check opens it by name, the installer start maps it), but
  // nobody may write, rename or delete it while it is held.
  UniqueHandle file(CreateFileW(to_wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                nullptr));
  HeldRead read;
  if (!file.valid()) {
    read.error = os_error_text(GetLastError());
    return read;
  }
  DWORD error = ERROR_SUCCESS;
  if (!read_all(file.get(), read.bytes, error)) {
    read.bytes.clear();
    read.error = os_error_text(error);
    return read;
  }
  read.file = std::make_unique<HeldHandle>(std::move(file));
  return read;
}

std::optional<std::string> WindowsUpdaterPlatform::sha256_hex(std::string_view bytes) {
  return updater::sha256_hex(bytes);
}

void WindowsUpdaterPlatform::delete_file(std::string_view path) {
  (void)DeleteFileW(to_wide(path).c_str());
}

SignatureReading read_signature(std::string_view path) {
  const std::wstring wide_path = to_wide(path);
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = wide_path.c_str();
  file.hFile = nullptr;
  file.pgKnownSubject = nullptr;

  WINTRUST_DATA data{};
  data.cbStruct = sizeof(data);
  data.pPolicyCallbackData = nullptr;
  data.pSIPClientData = nullptr;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.hWVTStateData = nullptr;
  data.pwszURLReference = nullptr;
  data.dwProvFlags = 0;
  data.dwUIContext = 0;

  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const HWND no_window = static_cast<HWND>(INVALID_HANDLE_VALUE);
  SignatureReading reading;
  reading.trust = static_cast<std::int32_t>(WinVerifyTrust(no_window, &action, &data));
  if (reading.trust == 0) {
    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer =
        provider != nullptr ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    if (signer != nullptr && signer->csCertChain > 0 && signer->pasCertChain != nullptr &&
        signer->pasCertChain[0].pCert != nullptr) {
      wchar_t name[256] = {};
      (void)CertGetNameStringW(signer->pasCertChain[0].pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0,
                               nullptr, name, 256);
      reading.signer = from_wide_up_to_nul(name, 256);
    }
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  reading.close = static_cast<std::int32_t>(WinVerifyTrust(no_window, &action, &data));
  return reading;
}

bool start_installer(std::string_view path, std::string_view command_line) {
  const std::wstring program = to_wide(path);
  std::wstring line = to_wide(command_line);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &started)) {
    return false;
  }
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}

std::uint64_t unix_now() {
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  return unix_seconds_from_filetime(static_cast<std::uint64_t>(now.dwHighDateTime) << 32 |
                                    now.dwLowDateTime);
}

}  // namespace kestro::updater

#include "app/updater/platform_win32.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "app/updater/launch.h"
#include "app/updater/schedule.h"
#include "app/updater/sha256.h"
#include "app/updater/system_error.h"
#include "app/updater/texts.h"
#include "base/handles_win32.h"
#include "base/system_library_win32.h"
#include "base/trace_win32.h"
#include "base/utf16_win32.h"
#include "i18n/translate.h"

namespace kestro::updater {

namespace {

// Authenticode, certificate names and version resources come from DLLs that are not known
// DLLs, so from the system folder on first use. A missing function answers as a failure.
LONG verify_trust(HWND window, GUID* action, WINTRUST_DATA* data) {
  static const SystemFunction<LONG, HWND, GUID*, LPVOID> verify(L"wintrust.dll", "WinVerifyTrust",
                                                                TRUST_E_PROVIDER_UNKNOWN);
  return verify(window, action, data);
}
CRYPT_PROVIDER_DATA* provider_data(HANDLE state) {
  static const SystemFunction<CRYPT_PROVIDER_DATA*, HANDLE> get(
      L"wintrust.dll", "WTHelperProvDataFromStateData", nullptr);
  return get(state);
}
CRYPT_PROVIDER_SGNR* first_signer(CRYPT_PROVIDER_DATA* provider) {
  static const SystemFunction<CRYPT_PROVIDER_SGNR*, CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD> get(
      L"wintrust.dll", "WTHelperGetProvSignerFromChain", nullptr);
  return get(provider, 0, FALSE, 0);
}
DWORD certificate_name(PCCERT_CONTEXT certificate, wchar_t* name, DWORD size) {
  static const SystemFunction<DWORD, PCCERT_CONTEXT, DWORD, DWORD, void*, LPWSTR, DWORD> get(
      L"crypt32.dll", "CertGetNameStringW", 0);
  return get(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, size);
}
DWORD version_info_size(const wchar_t* path) {
  static const SystemFunction<DWORD, LPCWSTR, LPDWORD> get(L"version.dll",
                                                           "GetFileVersionInfoSizeW", 0);
  DWORD ignored = 0;
  return get(path, &ignored);
}
BOOL version_info(const wchar_t* path, DWORD size, void* data) {
  static const SystemFunction<BOOL, LPCWSTR, DWORD, DWORD, LPVOID> get(
      L"version.dll", "GetFileVersionInfoW", FALSE);
  return get(path, 0, size, data);
}
BOOL version_value(const void* data, const wchar_t* key, void** value, UINT* length) {
  static const SystemFunction<BOOL, LPCVOID, LPCWSTR, LPVOID*, PUINT> get(
      L"version.dll", "VerQueryValueW", FALSE);
  return get(data, key, value, length);
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

class HeldHandle final : public HeldFile {
 public:
  explicit HeldHandle(UniqueHandle handle) : handle_(std::move(handle)) {}

  HANDLE get() const { return handle_.get(); }

  std::optional<std::uint64_t> size() override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_.get(), &size)) return failed();
    return static_cast<std::uint64_t>(size.QuadPart);
  }
  std::optional<std::size_t> read(std::span<char> buffer) override {
    DWORD got = 0;
    const auto want = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
    if (!ReadFile(handle_.get(), buffer.data(), want, &got, nullptr)) return failed();
    return got;
  }
  std::string error() const override { return error_; }

 private:
  std::nullopt_t failed() {
    error_ = os_error_text(GetLastError());
    return std::nullopt;
  }

  UniqueHandle handle_;
  std::string error_;
};

// The path the file behind `handle` has now, with every link and junction resolved
// ("\\?\C:\..."); nothing when it cannot be told.
std::optional<std::wstring> final_path(HANDLE handle) {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(handle, buffer.data(),
                                                   static_cast<DWORD>(buffer.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return std::nullopt;
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

// The file `path` leads to now, opened only to ask where it is.
std::optional<std::wstring> final_path_of(std::string_view path) {
  const UniqueHandle file(CreateFileW(to_wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file.valid()) return std::nullopt;
  return final_path(file.get());
}

std::optional<std::wstring> system_directory() {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const UINT length = GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0) return std::nullopt;
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

// The file a transfer writes, measured through a handle of Kestro's own that lets curl go on
// writing and the file be deleted.
class GrowingFile {
 public:
  explicit GrowingFile(std::wstring path) : path_(std::move(path)) {}

  // Bytes written so far: 0 until curl has made the file.
  std::uint64_t size() {
    if (!file_.valid()) {
      file_.reset(CreateFileW(path_.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    LARGE_INTEGER size{};
    if (!file_.valid() || !GetFileSizeEx(file_.get(), &size)) return 0;
    return static_cast<std::uint64_t>(size.QuadPart);
  }

 private:
  std::wstring path_;
  UniqueHandle file_;
};

// How often a running transfer is measured, and how long a stopped one may take to end.
constexpr DWORD kWatchIntervalMilliseconds = 250;
constexpr DWORD kStopWaitMilliseconds = 10000;

// A job that ends every process in it when its last handle closes: when Kestro ends, however
// it ends, no curl.exe of its goes on writing a half file.
UniqueHandle kill_on_close_job() {
  UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
  if (!job.valid()) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                               sizeof limits)) {
    job.reset();
  }
  return job;
}

}  // namespace

std::string os_error_text(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  const ScopedOwner<HLOCAL, LocalFree> owned(buffer);
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

std::optional<std::string> fetch_with_curl(std::string_view url, std::string_view destination,
                                           std::uint64_t max_bytes) {
  const std::optional<std::wstring> directory = system_directory();
  if (!directory) return os_error_text(GetLastError());
  const std::optional<std::string> program = curl_path(from_wide(*directory));
  if (!program) return os_error_text(ERROR_BAD_PATHNAME);
  const std::optional<std::string> line =
      command_line(*program, curl_arguments(url, destination, max_bytes));
  if (!line) return os_error_text(ERROR_INVALID_PARAMETER);  // a NUL would cut it short

  // What an earlier run left under this name must not count as written by this one.
  (void)DeleteFileW(to_wide(destination).c_str());
  const UniqueHandle job = kill_on_close_job();
  if (!job.valid()) return os_error_text(GetLastError());
  const std::wstring wide_program = to_wide(*program);
  std::wstring wide_line = to_wide(*line);  // CreateProcessW may write into it
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  // Suspended until it is in the job, so not a byte is fetched outside it.
  if (!CreateProcessW(wide_program.c_str(), wide_line.data(), nullptr, nullptr, TRUE,
                      CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &started)) {
    return os_error_text(GetLastError());
  }
  const UniqueHandle process(started.hProcess);
  const UniqueHandle thread(started.hThread);
  if (!AssignProcessToJobObject(job.get(), process.get())) {
    const DWORD error = GetLastError();
    (void)TerminateProcess(process.get(), 1);
    return os_error_text(error);
  }
  if (ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
    const DWORD error = GetLastError();
    (void)TerminateProcess(process.get(), 1);
    return os_error_text(error);
  }
  // --max-filesize is only a wish: older curl does not apply it to a response that does not
  // say its length beforehand. So the file is measured while curl writes, and a transfer past
  // the bound is stopped.
  GrowingFile written(to_wide(destination));
  for (;;) {
    const DWORD waited = WaitForSingleObject(process.get(), kWatchIntervalMilliseconds);
    if (waited == WAIT_OBJECT_0) break;
    if (waited != WAIT_TIMEOUT) return os_error_text(GetLastError());
    if (written.size() > max_bytes) {
      (void)TerminateJobObject(job.get(), 1);
      (void)WaitForSingleObject(process.get(), kStopWaitMilliseconds);
      trace_failure("curl.exe", "stopped past " + std::to_string(max_bytes) + " bytes");
      return std::string(translate(texts::kDownloadFailed));
    }
  }
  DWORD exit_code = 0;
  if (!GetExitCodeProcess(process.get(), &exit_code)) return os_error_text(GetLastError());
  if (exit_code != 0) {
    trace_failure("curl.exe", "ended with exit code " + std::to_string(exit_code));
    return std::string(translate(texts::kDownloadFailed));
  }
  // A transfer quicker than the first look is judged by the same bound.
  if (written.size() > max_bytes) {
    trace_failure("curl.exe", "wrote more than " + std::to_string(max_bytes) + " bytes");
    return std::string(translate(texts::kDownloadFailed));
  }
  return std::nullopt;
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

HeldOpen WindowsUpdaterPlatform::open_held(std::string_view path) {
  // Others may read (the installer start maps it), but nobody may write, rename or delete it
  // while it is held.
  UniqueHandle file(CreateFileW(to_wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                nullptr));
  if (!file.valid()) return {nullptr, os_error_text(GetLastError())};
  return {std::make_unique<HeldHandle>(std::move(file)), {}};
}

std::optional<std::vector<std::uint32_t>> WindowsUpdaterPlatform::file_version(HeldFile& file) {
  const auto* held = dynamic_cast<const HeldHandle*>(&file);
  if (held == nullptr) return std::nullopt;
  // The version functions take a name; the held file's own resolved one leads nowhere else.
  const std::optional<std::wstring> path = final_path(held->get());
  if (!path) return std::nullopt;
  const DWORD size = version_info_size(path->c_str());
  if (size == 0) return std::nullopt;
  std::vector<char> data(size);
  if (!version_info(path->c_str(), size, data.data())) return std::nullopt;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!version_value(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != 0xFEEF04BD) {
    return std::nullopt;
  }
  return std::vector<std::uint32_t>{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                                    HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
}

bool WindowsUpdaterPlatform::delete_file(std::string_view path) {
  if (DeleteFileW(to_wide(path).c_str())) return true;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

SignatureReading read_signature(HeldFile& held_file, std::string_view path) {
  const auto* held = dynamic_cast<const HeldHandle*>(&held_file);
  if (held == nullptr) return SignatureReading{};
  const std::wstring wide_path = to_wide(path);
  // The bytes are read through the held handle; the path only names the file.
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = wide_path.c_str();
  file.hFile = held->get();
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
  reading.trust = static_cast<std::int32_t>(verify_trust(no_window, &action, &data));
  if (reading.trust != 0) trace_failure("WinVerifyTrust", static_cast<HRESULT>(reading.trust));
  if (reading.trust == 0) {
    CRYPT_PROVIDER_DATA* provider = provider_data(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer = provider != nullptr ? first_signer(provider) : nullptr;
    if (signer != nullptr && signer->csCertChain > 0 && signer->pasCertChain != nullptr &&
        signer->pasCertChain[0].pCert != nullptr) {
      wchar_t name[256] = {};
      (void)certificate_name(signer->pasCertChain[0].pCert, name, 256);
      reading.signer = from_wide_up_to_nul(name, 256);
    }
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  reading.close = static_cast<std::int32_t>(verify_trust(no_window, &action, &data));
  return reading;
}

std::optional<std::string> start_installer(const HeldFile& file, std::string_view path,
                                           std::string_view command_line) {
  const auto* held = dynamic_cast<const HeldHandle*>(&file);
  const std::optional<std::wstring> verified = held != nullptr ? final_path(held->get()) : std::nullopt;
  if (!verified || final_path_of(path) != verified) {
    return std::string(translate(texts::kSignatureRejected));
  }
  const std::wstring program = to_wide(path);
  std::wstring line = to_wide(command_line);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &started)) {
    return os_error_text(GetLastError());
  }
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return std::nullopt;
}

std::uint64_t unix_now() {
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  return unix_seconds_from_filetime(static_cast<std::uint64_t>(now.dwHighDateTime) << 32 |
                                    now.dwLowDateTime);
}

}  // namespace kestro::updater

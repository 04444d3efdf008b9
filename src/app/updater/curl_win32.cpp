#include "app/updater/curl_win32.h"

#include <vector>

#include "app/updater/launch.h"
#include "app/updater/system_error_win32.h"
#include "app/updater/texts.h"
#include "base/handles_win32.h"
#include "base/trace_win32.h"
#include "base/utf16_win32.h"
#include "i18n/translate.h"

namespace kestro::updater {
namespace {

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

}  // namespace kestro::updater

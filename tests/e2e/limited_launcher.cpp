// Starts a program with the user's own rights, as Explorer starts Kestro on a machine with UAC:
// with the limited token linked to this process's elevated one (under Wine every process is
// elevated). Waits for the program and ends with its exit code.
//
//   limited_launcher.exe <program> [arguments...]
//
// Exit codes of its own: 120 no limited token, 121 the program could not be started.

#include <windows.h>

#include <cwchar>

namespace {

// What follows the launcher's own name on its command line, as it was written.
wchar_t* rest_of_command_line() {
  wchar_t* line = GetCommandLineW();
  if (*line == L'"') {
    ++line;
    while (*line != L'\0' && *line != L'"') ++line;
    if (*line == L'"') ++line;
  } else {
    while (*line != L'\0' && *line != L' ' && *line != L'\t') ++line;
  }
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

HANDLE limited_token() {
  HANDLE own = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)) return nullptr;
  TOKEN_LINKED_TOKEN linked{};
  DWORD size = 0;
  const BOOL found = GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size);
  CloseHandle(own);
  if (!found || linked.LinkedToken == nullptr) return nullptr;
  // The linked token may come as an impersonation token; a process needs a primary one.
  HANDLE primary = nullptr;
  const BOOL duplicated = DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr,
                                           SecurityImpersonation, TokenPrimary, &primary);
  if (!duplicated) return linked.LinkedToken;
  CloseHandle(linked.LinkedToken);
  return primary;
}

// The launcher's own standard handle, made inheritable, so that a program reading or writing
// through pipes (a UI Automation walk driven by a script) gets the very same ones.
HANDLE passed_on(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
    (void)SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  }
  return handle;
}

}  // namespace

int wmain() {
  const HANDLE token = limited_token();
  if (token == nullptr) return 120;
  wchar_t* line = rest_of_command_line();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = passed_on(STD_INPUT_HANDLE);
  startup.hStdOutput = passed_on(STD_OUTPUT_HANDLE);
  startup.hStdError = passed_on(STD_ERROR_HANDLE);
  PROCESS_INFORMATION started{};
  if (!CreateProcessAsUserW(token, nullptr, line, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                            &startup, &started)) {
    CloseHandle(token);
    return 121;
  }
  CloseHandle(token);
  CloseHandle(started.hThread);
  WaitForSingleObject(started.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(started.hProcess, &code);
  CloseHandle(started.hProcess);
  return static_cast<int>(code);
}

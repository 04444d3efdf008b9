// Stands in for the program a shell starts for an https address: appends "<parent process
// id>\t<address>" to the log file named by its first argument, so a test sees which process
// asked for the address to be opened.
//   handler_recorder.exe <log-file> <address>
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  DWORD parent = 0;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
  }
  CloseHandle(snapshot);
  FILE* log = _wfopen(argv[1], L"ab");
  if (log == nullptr) return 1;
  std::fprintf(log, "%lu\t%ls\n", static_cast<unsigned long>(parent), argv[2]);
  std::fclose(log);
  return 0;
}

// Holds a named mutex as an elevated Kestro may: with a DACL that denies SYNCHRONIZE to
// everyone (and allows the rest), so that another process of the user cannot open it to wait
// on it, although it exists. Opening it then fails with ERROR_ACCESS_DENIED. The program tries
// that itself, asking for the given access, and says what it got on the first line of its
// output; then it keeps the mutex for the given time.
//
//   guarded_mutex.exe <name> <access> <seconds>
//
// First line: "denied" (OpenMutexW failed with 5), "opened" or "error <code>". Exit codes: 0
// after holding it, 2 usage, 3 the mutex could not be made.

#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fputs("usage: guarded_mutex.exe <name> <access> <seconds>\n", stderr);
    return 2;
  }
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;0x100000;;;WD)(A;;GA;;;WD)",
                                                            SDDL_REVISION_1, &descriptor, nullptr)) {
    return 3;
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const HANDLE mutex = CreateMutexW(&attributes, TRUE, argv[1]);
  if (mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return 3;

  const auto access = static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 0));
  const HANDLE opened = OpenMutexW(access, FALSE, argv[1]);
  const DWORD error = GetLastError();
  if (opened != nullptr) {
    std::puts("opened");
    CloseHandle(opened);
  } else if (error == ERROR_ACCESS_DENIED) {
    std::puts("denied");
  } else {
    std::printf("error %lu\n", error);
  }
  std::fflush(stdout);

  Sleep(static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)) * 1000);
  CloseHandle(mutex);
  LocalFree(descriptor);
  return 0;
}

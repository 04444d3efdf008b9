// A tiny stand-in for an installer in the updater's tests: it records how it was started and
// ends. One line per run in <root>\installer-runs.log (<root> is %KESTRO_CURL_STANDIN%, else
// C:\kestro-test): its own path, a tab, then its whole command line, in UTF-8. A GUI program,
// so it opens no console window.

#include <windows.h>

#include <string>

namespace {

std::string utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  wchar_t root[MAX_PATH] = L"C:\\kestro-test";
  const DWORD length = GetEnvironmentVariableW(L"KESTRO_CURL_STANDIN", root, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) lstrcpyW(root, L"C:\\kestro-test");
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::string line = utf8(self) + "\t" + utf8(GetCommandLineW()) + "\n";
  const std::wstring log = std::wstring(root) + L"\\installer-runs.log";
  const HANDLE out = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(out);
  return 0;
}

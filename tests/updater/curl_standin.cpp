// A stand-in for the system's curl.exe in the updater's tests under Wine (which ships none).
// It understands the one way Kestro runs curl:
//   curl.exe -q --globoff [--max-filesize <n>] -fsSL --proto =https --max-time 600 -o <destination> <url>
// (the size limit is not applied: as with a server that does not say the length beforehand,
// the file arrives whole, and Kestro's own size check has to refuse it)
// and works on a folder <root> (%KESTRO_CURL_STANDIN%, else C:\kestro-test):
//   - every call appends one line to <root>\curl-calls.log: "console" or "noconsole" (whether
//     it was given a console window), then each argument after the program name, separated by
//     tabs, in UTF-8; and when it ends, a line "exit<tab><code>" to <root>\curl-exits.log;
//   - https://host/path?query is served from <root>\www\host\path (the query is ignored);
//   - <root>\curl-delay-ms, or <served file>.delay-ms, makes it wait that many milliseconds
//     before it writes anything (a slow network);
//   - <served file>.endless makes it write that file over and over without end, about 64 MB
//     a second (a server that never stops sending);
//   - like curl: a URL that is not https gives exit code 1 (--proto =https), a missing file 22
//     (-f and a 404), an output file that cannot be written 23; success 0.

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

std::wstring root_folder() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"KESTRO_CURL_STANDIN", buffer, MAX_PATH);
  if (length > 0 && length < MAX_PATH) return std::wstring(buffer, length);
  return L"C:\\kestro-test";
}

std::string utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

void append_line(const std::wstring& file, const std::string& line) {
  const HANDLE out = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(out);
}

// Milliseconds from a file holding a decimal number; 0 when there is none.
DWORD delay_from(const std::wstring& file) {
  const HANDLE in = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in == INVALID_HANDLE_VALUE) return 0;
  char text[32] = {};
  DWORD got = 0;
  ReadFile(in, text, sizeof text - 1, &got, nullptr);
  CloseHandle(in);
  return static_cast<DWORD>(strtoul(text, nullptr, 10));
}

bool is_file(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int serve(int argc, wchar_t** argv, const std::wstring& root);

int wmain(int argc, wchar_t** argv) {
  const std::wstring root = root_folder();
  const int status = serve(argc, argv, root);
  append_line(root + L"\\curl-exits.log", "exit\t" + std::to_string(status) + "\n");
  return status;
}

int serve(int argc, wchar_t** argv, const std::wstring& root) {
  std::string line = GetConsoleWindow() != nullptr ? "console" : "noconsole";
  std::wstring destination;
  std::wstring url;
  for (int i = 1; i < argc; ++i) {
    line += '\t';
    line += utf8(argv[i]);
    if (std::wcscmp(argv[i], L"-o") == 0 && i + 1 < argc) destination = argv[i + 1];
    url = argv[i];
  }
  append_line(root + L"\\curl-calls.log", line + "\n");

  const std::wstring scheme = L"https://";
  if (url.compare(0, scheme.size(), scheme) != 0) return 1;
  std::wstring relative = url.substr(scheme.size());
  relative = relative.substr(0, relative.find_first_of(L"?#"));
  for (wchar_t& c : relative) {
    if (c == L'/') c = L'\\';
  }
  const std::wstring served = root + L"\\www\\" + relative;

  const DWORD delay = delay_from(root + L"\\curl-delay-ms") + delay_from(served + L".delay-ms");
  if (delay > 0) Sleep(delay);
  if (!is_file(served)) return 22;
  if (destination.empty()) return 2;
  // curl opens its output as fopen(..., "wb") does: sharing read and write, nothing else.
  const HANDLE out = CreateFileW(destination.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return 23;
  const HANDLE in = CreateFileW(served.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  int status = 0;
  std::vector<char> chunk(1 << 16);
  const bool endless = is_file(served + L".endless");
  for (;;) {
    DWORD got = 0;
    if (in == INVALID_HANDLE_VALUE || !ReadFile(in, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
      status = 22;
      break;
    }
    if (got == 0) {
      if (!endless) break;
      SetFilePointer(in, 0, nullptr, FILE_BEGIN);
      Sleep(1);
      continue;
    }
    DWORD written = 0;
    if (!WriteFile(out, chunk.data(), got, &written, nullptr) || written != got) {
      status = 23;
      break;
    }
  }
  if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
  CloseHandle(out);
  return status;
}

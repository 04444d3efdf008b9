// The installer check's digest on Windows, as the download runs it: a file opened and held
// once, its size taken, then read through the handle in pieces and hashed with CNG, `runs`
// times. Prints the best time and how far the working set rose above where it was before the
// first run. Run by verify_figure.sh under Wine; not a test.
//
//   verify_figure <file> [runs]
// Output: "<bytes> <seconds> <peak working set rise in bytes> <digest>".

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/updater/download.h"
#include "app/updater/platform_win32.h"
#include "base/utf16_win32.h"

namespace {

double seconds_since(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

PROCESS_MEMORY_COUNTERS memory() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::string path = kestro::from_wide(argv[1]);
  const int runs = argc > 2 ? _wtoi(argv[2]) : 3;
  kestro::updater::WindowsUpdaterPlatform platform;
  const SIZE_T before = memory().WorkingSetSize;
  double best = 1e9;
  std::string digest;
  std::uint64_t size = 0;
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    kestro::updater::HeldOpen open = platform.open_held(path);
    if (!open.file) {
      std::fprintf(stderr, "%s\n", open.error.c_str());
      return 1;
    }
    size = open.file->size().value_or(0);
    std::string read_error;
    const std::optional<std::string> hex =
        kestro::updater::held_file_sha256(platform, *open.file, size, read_error);
    const double seconds = seconds_since(start);
    if (!hex) {
      std::fprintf(stderr, "no digest: %s\n", read_error.c_str());
      return 1;
    }
    digest = *hex;
    if (seconds < best) best = seconds;
  }
  const SIZE_T peak = memory().PeakWorkingSetSize;
  std::printf("%llu %.6f %llu %s\n", static_cast<unsigned long long>(size), best,
              static_cast<unsigned long long>(peak > before ? peak - before : 0), digest.c_str());
  return 0;
}

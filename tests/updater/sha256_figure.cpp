// Throughput of the installer check's reading and hashing on Windows: reads a file once
// through the updater's held read and hashes it with CNG, `runs` times, and prints the best
// times. Run by sha256_figure.sh under Wine; not a test.
//
//   sha256_figure <file> [runs]
// Output: "<bytes> <read seconds> <hash seconds> <digest>".

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/updater/platform_win32.h"
#include "app/updater/sha256.h"
#include "base/utf16_win32.h"

namespace {

double seconds_since(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::string path = kestro::from_wide(argv[1]);
  const int runs = argc > 2 ? _wtoi(argv[2]) : 3;
  kestro::updater::WindowsUpdaterPlatform platform;
  double best_read = 1e9, best_hash = 1e9;
  std::string digest;
  std::size_t size = 0;
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    kestro::updater::HeldRead read = platform.read_held(path);
    const double read_seconds = seconds_since(start);
    if (!read.file) {
      std::fprintf(stderr, "%s\n", read.error.c_str());
      return 1;
    }
    QueryPerformanceCounter(&start);
    const std::optional<std::string> hex = kestro::updater::sha256_hex(read.bytes);
    const double hash_seconds = seconds_since(start);
    if (!hex) return 1;
    digest = *hex;
    size = read.bytes.size();
    if (read_seconds < best_read) best_read = read_seconds;
    if (hash_seconds < best_hash) best_hash = hash_seconds;
  }
  std::printf("%zu %.6f %.6f %s\n", size, best_read, best_hash, digest.c_str());
  return 0;
}

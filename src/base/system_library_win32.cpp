#include "base/system_library_win32.h"

namespace kestro {

HMODULE system_library(const wchar_t* name) {
  // Loading a loaded DLL again only counts it once more; it stays for the process's life.
  return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace kestro

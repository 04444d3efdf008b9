#include "app/updater/system_error_win32.h"

#include "app/updater/system_error.h"
#include "base/handles_win32.h"
#include "base/utf16_win32.h"

namespace kestro::updater {

std::string os_error_text(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  const ScopedOwner<HLOCAL, LocalFree> owned(buffer);
  const std::string message = length > 0 ? from_wide(std::wstring_view(buffer, length)) : "";
  return system_error_text(message, code);
}

}  // namespace kestro::updater

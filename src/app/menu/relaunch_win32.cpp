#include "app/menu/relaunch_win32.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "base/trace_win32.h"

namespace kestro::app {

std::optional<std::wstring> own_executable_path() {
  // A full buffer means the path may have been cut: try again with twice the room, up to the
  // longest path Windows allows.
  for (DWORD capacity = MAX_PATH; capacity <= 32768 * 2; capacity *= 2) {
    std::vector<wchar_t> buffer(capacity);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), capacity);
    if (length == 0) return std::nullopt;
    if (length < capacity) return std::wstring(buffer.data(), length);
  }
  return std::nullopt;
}

bool relaunch_elevated(HWND window, const std::wstring& program) {
  const HINSTANCE started =
      ShellExecuteW(window, L"runas", program.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  // Values above 32 mean the program was started; anything else is an error code. A declined
  // prompt (ERROR_CANCELLED) is the user's answer, not a failure.
  if (const INT_PTR code = reinterpret_cast<INT_PTR>(started); code <= 32) {
    const DWORD error = GetLastError();
    if (error != ERROR_CANCELLED) {
      trace_failure("ShellExecuteW runas", "returned " + std::to_string(code) + ", error " + std::to_string(error));
    }
    return false;
  }
  DestroyWindow(window);
  return true;
}

}  // namespace kestro::app

#pragma once
// The Windows tests' view of the clipboard: the exact UTF-16 text, up to its terminating zero.

#include <windows.h>

#include <string>

namespace kestro::test {

inline std::wstring clipboard_unicode(HWND owner) {
  std::wstring text;
  if (!OpenClipboard(owner)) return L"<not opened>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = units;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace kestro::test

// A hook library for the end-to-end tests: loaded into Kestro's process by window_poke, it
// writes the open pop-up menu (which another process cannot read under Wine) to a file.
// The request is a registered message sent to the menu window; the answer goes to
// %TEMP%\kestro-menu.txt as UTF-8, one item per line: "id<TAB>checked<TAB>text", a separator
// as "-", a submenu's items indented by one TAB after its own line.

#include <windows.h>

#include <string>

namespace {

void describe(HMENU menu, const std::wstring& indent, std::wstring& out) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 255;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    if (info.fType & MFT_SEPARATOR) {
      out += indent + L"-\n";
      continue;
    }
    // A submenu's entry has no command id (Windows reports its handle there): written as 0.
    const UINT id = info.hSubMenu != nullptr ? 0 : info.wID;
    out += indent + std::to_wstring(id) + L"\t" + ((info.fState & MFS_CHECKED) ? L"1" : L"0") +
           L"\t" + text + L"\n";
    if (info.hSubMenu != nullptr) describe(info.hSubMenu, indent + L"\t", out);
  }
}

void write_description(HWND menu_window) {
  const auto menu = reinterpret_cast<HMENU>(SendMessageW(menu_window, MN_GETHMENU, 0, 0));
  std::wstring text;
  if (menu != nullptr) describe(menu, L"", text);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  wchar_t path[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, path);
  const std::wstring file = std::wstring(path) + L"kestro-menu.txt";
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(handle);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK kestro_menu_hook(int code, WPARAM wparam,
                                                                   LPARAM lparam) {
  static const UINT request = RegisterWindowMessageW(L"KestroTestDescribeMenu");
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (call->message == request) write_description(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

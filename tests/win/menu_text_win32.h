#pragma once
// An open pop-up menu written out as text, one item per line: "id<TAB>checked<TAB>text" (checked
// is 1 or 0), a separator as "-", a submenu's items after its own line, indented by one TAB.
// A submenu's entry has no command id (Windows reports its handle there): written as 0. Used
// inside Kestro's process by the end-to-end hook and by the Windows tests alike.

#include <windows.h>

#include <string>

namespace kestro::test {

inline void describe_menu(HMENU menu, std::wstring& out, const std::wstring& indent = L"") {
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
    const UINT id = info.hSubMenu != nullptr ? 0 : info.wID;
    out += indent + std::to_wstring(id) + L"\t" + ((info.fState & MFS_CHECKED) ? L"1" : L"0") +
           L"\t" + text + L"\n";
    if (info.hSubMenu != nullptr) describe_menu(info.hSubMenu, out, indent + L"\t");
  }
}

}  // namespace kestro::test

#include "app/menu/popup_menu_win32.h"

#include <string>

#include "base/handles_win32.h"
#include "base/utf16_win32.h"

namespace kestro::app {
namespace {

using UniqueMenu = ScopedOwner<HMENU, DestroyMenu>;

void append_items(HMENU menu, const std::vector<MenuItem>& items) {
  for (const MenuItem& item : items) {
    const std::wstring text = to_wide(item.text);
    switch (item.kind) {
      case MenuItem::Kind::Separator:
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        break;
      case MenuItem::Kind::Command:
        AppendMenuW(menu, MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED), item.id,
                    text.c_str());
        break;
      case MenuItem::Kind::Submenu: {
        UniqueMenu submenu(CreatePopupMenu());
        if (!submenu) break;  // the entry goes with it
        append_items(submenu.get(), item.items);
        // Once attached, the submenu is destroyed with its parent.
        if (AppendMenuW(menu, MF_POPUP | MF_STRING,
                        reinterpret_cast<UINT_PTR>(submenu.get()), text.c_str())) {
          (void)submenu.release();
        }
        break;
      }
    }
  }
}

}  // namespace

std::uint32_t track_popup_menu(HWND owner, const std::vector<MenuItem>& menu, int x, int y) {
  const UniqueMenu popup(CreatePopupMenu());
  if (!popup) return kCommandDismissed;
  append_items(popup.get(), menu);
  POINT at{x, y};
  ClientToScreen(owner, &at);
  const BOOL chosen = TrackPopupMenu(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN |
                                                      TPM_TOPALIGN,
                                     at.x, at.y, 0, owner, nullptr);
  return chosen > 0 ? static_cast<std::uint32_t>(chosen) : kCommandDismissed;
}

}  // namespace kestro::app

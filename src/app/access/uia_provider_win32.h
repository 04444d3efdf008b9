#pragma once
// The COM objects UI Automation talks to: one small provider object per element it asks about,
// naming the element by its key. They are called on UI Automation's own threads (the window
// offers a server-side provider without COM threading), so they read nothing but the hub's
// published tree and the window handle, and hand invocations and focus changes to the window
// thread through the hub. Once the window is gone they answer UIA_E_ELEMENTNOTAVAILABLE.

#include <windows.h>
#include <wrl/client.h>

#include <memory>

#include "app/access/accessibility_tree.h"
#include "app/access/uia_win32.h"

namespace kestro::app {

// The provider of element `key` of window `hwnd`; the root key gives the window's fragment
// root (its host provider, runtime id and rectangle come from the window itself).
Microsoft::WRL::ComPtr<IRawElementProviderSimple> make_element_provider(
    std::shared_ptr<AccessHub> hub, HWND hwnd, const AccessKey& key);

}  // namespace kestro::app

#pragma once
// UI Automation for the main window: answers WM_GETOBJECT with the window's fragment root,
// publishes the accessibility tree after every frame while clients listen, raises the focus
// and live-region events, and carries out what clients ask (WM_APP_ACCESS_ACTION).
//
// uiautomationcore.dll is loaded only when a client first asks for the window; until then the
// window builds no tree and asks nobody whether clients listen.

#include <windows.h>
#include <wrl/client.h>

#include <memory>
#include <optional>
#include <vector>

#include "app/access/accessibility_tree.h"
#include "app/access/uia_win32.h"
#include "app/view/app_state.h"
#include "app/view/layout.h"
#include "base/window_handle_win32.h"
#include "gfx/canvas.h"

namespace kestro::app {

class WindowAccessibility final : public AccessSink {
 public:
  // Requests from UI Automation's threads wake the window with `wake_message` (posted).
  WindowAccessibility(const WindowHandle& window, UINT wake_message);
  ~WindowAccessibility() override;
  WindowAccessibility(const WindowAccessibility&) = delete;
  WindowAccessibility& operator=(const WindowAccessibility&) = delete;

  // WM_GETOBJECT, in three steps so that the state is not held while UI Automation runs:
  // whether the object asked for is the window's UI Automation root (loads UI Automation on
  // the first request; false when it is missing); a fresh tree from the state at hand (a
  // client asks right now, listening or not); and the answer with the root provider.
  bool answers(LPARAM lparam);
  void refresh(const AppState& state, ClientSize client, gfx::TextMeasurer* measurer);
  LRESULT answer(WPARAM wparam, LPARAM lparam);

  // After every frame (the state may have changed): a new tree while clients listen.
  void update(const AppState& state, ClientSize client, gfx::TextMeasurer* measurer);
  // Raises the events the last updates found. Call it with the state slot released: raising
  // can call back into the providers and, in a single-threaded apartment, dispatch messages.
  void raise_pending_events();

  // The wake message: what clients asked since the last time. While the window is disabled (a
  // message box owns it) only requests for a fresh tree remain.
  std::vector<AccessRequest> take_requests();

  // The window is going: every provider answers UIA_E_ELEMENTNOTAVAILABLE from now on.
  void close();

  const std::shared_ptr<AccessHub>& hub() const { return hub_; }
  AccessTreeSource& trees() { return trees_; }
  IRawElementProviderSimple* root() const { return root_.Get(); }

  // AccessSink
  bool clients_listening() override;
  void publish(std::shared_ptr<const AccessTree> tree) override;
  void mark_stale() override;
  void focus_changed(const AccessTree& tree, std::int32_t node) override;
  void live_region_changed(const AccessTree& tree, std::int32_t node) override;

 private:
  struct PendingEvent {
    AccessKey key;
    EVENTID event;
  };

  const WindowHandle& window_;
  std::shared_ptr<AccessHub> hub_;
  AccessTreeSource trees_;
  Microsoft::WRL::ComPtr<IRawElementProviderSimple> root_;
  const uia::Functions* api_ = nullptr;  // set when a client first asked
  std::vector<PendingEvent> pending_;
  bool closed_ = false;
};

}  // namespace kestro::app

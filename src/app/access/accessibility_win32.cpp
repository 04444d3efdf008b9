#include "app/access/accessibility_win32.h"

#include <utility>
#include <vector>

#include "app/access/uia_provider_win32.h"
#include "base/trace_win32.h"

namespace kestro::app {

// The hub wakes no one once closed, which this object does before it goes: the wake never
// outlives the handle it reads.
WindowAccessibility::WindowAccessibility(const WindowHandle& window, UINT wake_message)
    : window_(window),
      hub_(std::make_shared<AccessHub>(
          [&window, wake_message] { (void)PostMessageW(window.get(), wake_message, 0, 0); })) {}

WindowAccessibility::~WindowAccessibility() { close(); }

bool WindowAccessibility::answers(LPARAM lparam) {
  if (closed_ || static_cast<LONG>(lparam) != uia::kRootObjectId) return false;
  if (api_ == nullptr) api_ = uia::functions();
  if (api_ == nullptr) {  // no UI Automation on this system
    trace_failure("Loading UI Automation", HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));
    return false;
  }
  if (!root_) root_ = make_element_provider(hub_, window_.get(), AccessKey{});
  return true;
}

void WindowAccessibility::refresh(const AppState& state, ClientSize client,
                                  gfx::TextMeasurer* measurer) {
  if (api_ == nullptr || closed_) return;
  trees_.update(state, client, measurer, *this, true);
}

LRESULT WindowAccessibility::answer(WPARAM wparam, LPARAM lparam) {
  if (api_ == nullptr || !root_) return 0;
  return api_->return_raw_element_provider(window_.get(), wparam, lparam, root_.Get());
}

void WindowAccessibility::update(const AppState& state, ClientSize client,
                                 gfx::TextMeasurer* measurer) {
  if (api_ == nullptr || closed_) return;  // no client has asked for the window yet
  trees_.update(state, client, measurer, *this);
}

std::vector<AccessRequest> WindowAccessibility::take_requests() {
  std::vector<AccessRequest> requests = hub_->take_requests();
  // A disabled window (a message box owns it) takes no input, from UI Automation neither: a
  // press could open a second modal loop inside the box's. Requests made before it was
  // disabled are dropped too.
  if (!IsWindowEnabled(window_.get())) {
    std::erase_if(requests, [](const AccessRequest& r) { return r.kind != AccessRequest::Kind::Refresh; });
  }
  return requests;
}

void WindowAccessibility::close() {
  if (closed_) return;
  closed_ = true;
  hub_->close();
  pending_.clear();
  if (api_ != nullptr && root_) {
    // Tells UI Automation the window's providers are done with; clients holding one get
    // "element not available" from it anyway.
    (void)api_->return_raw_element_provider(window_.get(), 0, 0, nullptr);
    if (api_->disconnect_provider != nullptr) (void)api_->disconnect_provider(root_.Get());
  }
  root_.Reset();
}

bool WindowAccessibility::clients_listening() {
  return api_ != nullptr && api_->clients_are_listening() != FALSE;
}

void WindowAccessibility::publish(std::shared_ptr<const AccessTree> tree) {
  hub_->publish(std::move(tree));
}

void WindowAccessibility::mark_stale() { hub_->mark_stale(); }

void WindowAccessibility::focus_changed(const AccessTree& tree, std::int32_t node) {
  pending_.push_back({tree.nodes[static_cast<std::size_t>(node)].key, uia::kFocusChangedEvent});
}

void WindowAccessibility::live_region_changed(const AccessTree& tree, std::int32_t node) {
  pending_.push_back(
      {tree.nodes[static_cast<std::size_t>(node)].key, uia::kLiveRegionChangedEvent});
}

void WindowAccessibility::raise_pending_events() {
  const std::vector<PendingEvent> events = std::exchange(pending_, {});
  if (api_ == nullptr || closed_) return;
  for (const PendingEvent& pending : events) {
    const Microsoft::WRL::ComPtr<IRawElementProviderSimple> provider =
        make_element_provider(hub_, window_.get(), pending.key);
    if (const HRESULT hr = api_->raise_automation_event(provider.Get(), pending.event); FAILED(hr)) {
      trace_failure("UiaRaiseAutomationEvent", hr);
    }
  }
}

}  // namespace kestro::app

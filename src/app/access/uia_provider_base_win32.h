#pragma once
// What the window's UI Automation providers share (uia_provider_win32.cpp, the window;
// uia_elements_win32.cpp, everything in it): the element they stand for, found again in the
// latest published tree on every call, and the one way each call begins.

#include <windows.h>
#include <wrl/client.h>

#include <memory>
#include <optional>
#include <utility>

#include "app/access/accessibility_tree.h"
#include "app/access/uia_provider_win32.h"
#include "app/access/uia_win32.h"
#include "base/trace_win32.h"

namespace kestro::app {

// COM methods must not let an exception out; an allocation failure becomes E_OUTOFMEMORY.
// Both are failures a client would otherwise only see as a code, so they leave a trace.
template <class F>
HRESULT guarded(F&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return trace_failure("A UI Automation call", E_OUTOFMEMORY);
  } catch (...) {
    return trace_failure("A UI Automation call", E_FAIL);
  }
}

// The element a provider stands for, in the tree it was found in.
struct Found {
  std::shared_ptr<const AccessTree> tree;
  std::int32_t index = kNoNode;
  const AccessNode& node() const { return tree->nodes[static_cast<std::size_t>(index)]; }
};

// What every provider of the window holds and how each of its calls begins. Providers are
// called on UI Automation's own threads, so they read nothing but the hub's published tree and
// the window handle.
class ProviderBase {
 protected:
  ProviderBase(std::shared_ptr<AccessHub> hub, HWND hwnd, const AccessKey& key)
      : hub_(std::move(hub)), hwnd_(hwnd), key_(key) {}

  // The element in the latest tree; nothing when the window is gone or the element is no
  // longer shown (another report, a toast that went, a button hidden while loading).
  std::optional<Found> find() const {
    Found found{hub_->read(), kNoNode};
    if (!found.tree || !IsWindow(hwnd_)) return std::nullopt;
    found.index = found.tree->find(key_);
    if (found.index == kNoNode) return std::nullopt;
    return found;
  }

  // While a modal box owns the window it is disabled, and so is everything in it.
  bool enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }

  // The one start of every call that answers about this element: a null out parameter is
  // E_POINTER; the out parameter is cleared; an element that is gone is
  // UIA_E_ELEMENTNOTAVAILABLE; `body` gets the element; nothing escapes as an exception.
  template <class Out, class Body>
  HRESULT answer(Out* out, Body&& body) const noexcept {
    if (out == nullptr) return E_POINTER;
    *out = Out{};
    return act([&](const Found& found) { return body(found, out); });
  }
  template <class Body>
  HRESULT act(Body&& body) const noexcept {
    return guarded([&]() -> HRESULT {
      const std::optional<Found> found = find();
      return found ? body(*found) : uia::kElementNotAvailable;
    });
  }

  HRESULT fragment_for(const AccessKey& key, IRawElementProviderFragment** out) const {
    return make_element_provider(hub_, hwnd_, key).CopyTo(IID_PPV_ARGS(out));
  }

  // The neighbour in `direction` of the element, nothing at the tree's edges.
  HRESULT navigate(const Found& found, NavigateDirection direction,
                   IRawElementProviderFragment** out) const {
    const AccessNode& node = found.node();
    std::int32_t target = kNoNode;
    switch (direction) {
      case NavigateDirection_Parent: target = node.parent; break;
      case NavigateDirection_NextSibling: target = node.next; break;
      case NavigateDirection_PreviousSibling: target = node.previous; break;
      case NavigateDirection_FirstChild: target = node.first_child; break;
      case NavigateDirection_LastChild: target = node.last_child; break;
    }
    if (target == kNoNode) return S_OK;
    return fragment_for(found.tree->nodes[static_cast<std::size_t>(target)].key, out);
  }

  HRESULT fragment_root(IRawElementProviderFragmentRoot** out) const {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (hub_->closed()) return uia::kElementNotAvailable;
    return guarded([&] {
      return make_element_provider(hub_, hwnd_, AccessKey{}).CopyTo(IID_PPV_ARGS(out));
    });
  }

  const std::shared_ptr<AccessHub> hub_;
  const HWND hwnd_;
  const AccessKey key_;
};

// Without UseComThreading: UI Automation calls from its own threads, which is why everything
// here reads only the published tree.
inline HRESULT server_side(ProviderOptions* out) {
  if (out == nullptr) return E_POINTER;
  *out = ProviderOptions_ServerSideProvider;
  return S_OK;
}

inline HRESULT no_embedded_roots(SAFEARRAY** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return S_OK;
}

// The provider of a part below the window (make_element_provider gives the window's own).
Microsoft::WRL::ComPtr<IRawElementProviderSimple> make_part_provider(
    std::shared_ptr<AccessHub> hub, HWND hwnd, const AccessKey& key);

}  // namespace kestro::app

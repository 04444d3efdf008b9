#include "app/access/uia_provider_win32.h"

#include <utility>

#include "app/access/uia_provider_base_win32.h"
#include "app/access/uia_values_win32.h"
#include "base/com_object_win32.h"

namespace kestro::app {

namespace {

using Microsoft::WRL::ComPtr;

// The window itself. Its rectangle, runtime id and further properties come from the host
// provider UI Automation has for every window; before the first tree it still answers (with
// nothing), and only once the window is gone does it say it is not available.
class RootProvider final
    : public ComObject<IRawElementProviderSimple, IRawElementProviderFragment,
                       IRawElementProviderFragmentRoot>,
      protected ProviderBase {
 public:
  RootProvider(std::shared_ptr<AccessHub> hub, HWND hwnd)
      : ProviderBase(std::move(hub), hwnd, AccessKey{}) {}

  // ---- IRawElementProviderSimple
  HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* out) override {
    return server_side(out);
  }

  HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID, IUnknown** out) override {
    return answer(out, [](const Found&, IUnknown**) { return S_OK; });  // no patterns
  }

  HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* out) override {
    return while_open(out, [&](const Found& found, VARIANT* value) -> HRESULT {
      switch (property) {
        case uia::kControlType:
          set_int(value, control_type_of(found.node().role));
          return S_OK;
        case uia::kName: return set_string(value, found.node().name);
        case uia::kAutomationId: return set_string(value, automation_id(key_));
        default: return S_OK;  // the host provider's
      }
    });
  }

  HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (hub_->closed()) return uia::kElementNotAvailable;
    const uia::Functions* api = uia::functions();
    return api != nullptr ? api->host_provider_from_hwnd(hwnd_, out) : S_OK;
  }

  // ---- IRawElementProviderFragment
  HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction,
                                     IRawElementProviderFragment** out) override {
    return while_open(out, [&](const Found& found, IRawElementProviderFragment** result) {
      return navigate(found, direction, result);
    });
  }
  HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** out) override { return host_answers(out); }
  HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* out) override {
    return host_answers(out);
  }
  HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** out) override {
    return no_embedded_roots(out);
  }
  HRESULT STDMETHODCALLTYPE SetFocus() override {
    return act([](const Found&) { return uia::kInvalidOperation; });  // it takes no focus
  }
  HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** out) override {
    return fragment_root(out);
  }

  // ---- IRawElementProviderFragmentRoot
  HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y,
                                                     IRawElementProviderFragment** out) override {
    return with_tree(out, [&](const AccessTree& tree, IRawElementProviderFragment** result) {
      POINT origin{0, 0};
      if (!ClientToScreen(hwnd_, &origin)) return gone_or_nothing();
      const std::int32_t at = tree.node_at(static_cast<float>(x - origin.x),
                                           static_cast<float>(y - origin.y));
      if (at == kNoNode || at == 0) return S_OK;  // outside, or the window itself
      return fragment_for(tree.nodes[static_cast<std::size_t>(at)].key, result);
    });
  }

  HRESULT STDMETHODCALLTYPE GetFocus(IRawElementProviderFragment** out) override {
    return with_tree(out, [&](const AccessTree& tree, IRawElementProviderFragment** result) {
      if (tree.focus == kNoNode) return S_OK;
      return fragment_for(tree.nodes[static_cast<std::size_t>(tree.focus)].key, result);
    });
  }

 private:
  // Nothing to say while the window is open; "not available" once it is gone.
  HRESULT gone_or_nothing() const { return hub_->closed() ? uia::kElementNotAvailable : S_OK; }
  // As `answer`, but a window without a tree yet answers with nothing.
  template <class Out, class Body>
  HRESULT while_open(Out* out, Body&& body) const noexcept {
    const HRESULT hr = answer(out, std::forward<Body>(body));
    return hr == uia::kElementNotAvailable ? gone_or_nothing() : hr;
  }
  // Runtime id and rectangle are the host provider's: nothing here while the window is open.
  template <class Out>
  HRESULT host_answers(Out* out) const {
    if (out == nullptr) return E_POINTER;
    *out = Out{};
    return gone_or_nothing();
  }
  // The latest tree; none yet is nothing, none any more is "not available".
  template <class Out, class Body>
  HRESULT with_tree(Out* out, Body&& body) const noexcept {
    if (out == nullptr) return E_POINTER;
    *out = Out{};
    return guarded([&]() -> HRESULT {
      const std::shared_ptr<const AccessTree> tree = hub_->read();
      if (!tree) return gone_or_nothing();
      return body(*tree, out);
    });
  }
};

}  // namespace

ComPtr<IRawElementProviderSimple> make_element_provider(std::shared_ptr<AccessHub> hub, HWND hwnd,
                                                        const AccessKey& key) {
  if (key.part != AccessPart::Root) return make_part_provider(std::move(hub), hwnd, key);
  ComPtr<IRawElementProviderSimple> provider;
  provider.Attach(new RootProvider(std::move(hub), hwnd));  // it starts with one reference
  return provider;
}

}  // namespace kestro::app

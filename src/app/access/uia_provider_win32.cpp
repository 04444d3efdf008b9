#include "app/access/uia_provider_win32.h"

#include <oleauto.h>

#include <atomic>
#include <cmath>
#include <optional>
#include <string>
#include <utility>

#include "base/utf16_win32.h"

namespace kestro::app {

namespace {

using Microsoft::WRL::ComPtr;

// COM methods must not let an exception out; an allocation failure becomes E_OUTOFMEMORY.
template <class F>
HRESULT guarded(F&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

void set_bool(VARIANT* out, bool value) {
  out->vt = VT_BOOL;
  out->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void set_int(VARIANT* out, int value) {
  out->vt = VT_I4;
  out->lVal = value;
}

void set_double(VARIANT* out, double value) {
  out->vt = VT_R8;
  out->dblVal = value;
}

HRESULT set_string(VARIANT* out, std::string_view utf8) {
  const std::wstring wide = to_wide(utf8);
  BSTR text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (text == nullptr) return E_OUTOFMEMORY;
  out->vt = VT_BSTR;
  out->bstrVal = text;
  return S_OK;
}

std::string automation_id(const AccessKey& key) {
  const std::string a = std::to_string(key.a);
  const std::string b = std::to_string(key.b);
  switch (key.part) {
    case AccessPart::Root: return "window";
    case AccessPart::Button:
      switch (static_cast<HitKind>(key.a)) {
        case HitKind::CopyAll: return "copy-all";
        case HitKind::ViewAsAdmin: return "view-as-administrator";
        case HitKind::Refresh: return "refresh";
        case HitKind::Menu: return "menu";
        default: return "button-" + a;
      }
    case AccessPart::Title: return "title";
    case AccessPart::Subtitle: return "subtitle";
    case AccessPart::Card: return "card-" + a;
    case AccessPart::Row: return "row-" + a + "-" + b;
    case AccessPart::Gauge: return "gauge-" + a + "-" + b;
    case AccessPart::Note: return "note";
    case AccessPart::Loading: return "loading";
    case AccessPart::Toast: return "toast";
  }
  return "element";
}

// The element a provider stands for, in the tree it was found in.
struct Found {
  std::shared_ptr<const AccessTree> tree;
  std::int32_t index = kNoNode;
  const AccessNode& node() const { return tree->nodes[static_cast<std::size_t>(index)]; }
};

class ElementProvider final : public IRawElementProviderSimple,
                              public IRawElementProviderFragment,
                              public IRawElementProviderFragmentRoot,
                              public IInvokeProvider,
                              public IRangeValueProvider {
 public:
  ElementProvider(std::shared_ptr<AccessHub> hub, HWND hwnd, const AccessKey& key)
      : hub_(std::move(hub)), hwnd_(hwnd), key_(key) {}

  // ---- IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IRawElementProviderSimple)) {
      *out = static_cast<IRawElementProviderSimple*>(this);
    } else if (iid == __uuidof(IRawElementProviderFragment)) {
      *out = static_cast<IRawElementProviderFragment*>(this);
    } else if (iid == __uuidof(IRawElementProviderFragmentRoot) && is_root()) {
      *out = static_cast<IRawElementProviderFragmentRoot*>(this);
    } else if (iid == __uuidof(IInvokeProvider) && invokable()) {
      *out = static_cast<IInvokeProvider*>(this);
    } else if (iid == __uuidof(IRangeValueProvider) && key_.part == AccessPart::Gauge) {
      *out = static_cast<IRangeValueProvider*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // ---- IRawElementProviderSimple
  HRESULT STDMETHODCALLTYPE get_ProviderOptions(enum ProviderOptions* out) override {
    if (out == nullptr) return E_POINTER;
    // Without UseComThreading: UI Automation calls from its own threads, which is why
    // everything here reads only the published tree.
    *out = ProviderOptions_ServerSideProvider;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return guarded([&]() -> HRESULT {
      const auto found = find();
      if (!found) return uia::kElementNotAvailable;
      if (pattern == uia::kInvokePattern && found->node().action.kind != HitKind::None) {
        *out = static_cast<IInvokeProvider*>(this);
      } else if (pattern == uia::kRangeValuePattern && found->node().percent) {
        *out = static_cast<IRangeValueProvider*>(this);
      }
      if (*out != nullptr) AddRef();
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* out) override {
    if (out == nullptr) return E_POINTER;
    VariantInit(out);
    return guarded([&]() -> HRESULT {
      const auto found = find();
      if (!found) return is_root() && !hub_->closed() ? S_OK : uia::kElementNotAvailable;
      const AccessNode& node = found->node();
      // The window itself is described by its host provider, except for its name and type.
      if (is_root() && property != uia::kName && property != uia::kAutomationId &&
          property != uia::kControlType) {
        return S_OK;
      }
      switch (property) {
        case uia::kControlType: set_int(out, control_type_of(node.role)); return S_OK;
        case uia::kName: return set_string(out, node.name);
        case uia::kAutomationId: return set_string(out, automation_id(key_));
        case uia::kIsKeyboardFocusable: set_bool(out, node.focusable); return S_OK;
        case uia::kHasKeyboardFocus: set_bool(out, found->tree->focus == found->index); return S_OK;
        case uia::kIsEnabled: set_bool(out, enabled()); return S_OK;
        case uia::kIsControlElement:
        case uia::kIsContentElement: set_bool(out, true); return S_OK;
        case uia::kIsOffscreen: set_bool(out, node.offscreen); return S_OK;
        case uia::kIsInvokePatternAvailable:
          set_bool(out, node.action.kind != HitKind::None);
          return S_OK;
        case uia::kIsRangeValuePatternAvailable:
          set_bool(out, node.percent.has_value());
          return S_OK;
        case uia::kLiveSetting:
          if (node.live) set_int(out, uia::kLivePolite);
          return S_OK;
        case uia::kRangeValueValue:
          if (node.percent) set_double(out, *node.percent);
          return S_OK;
        case uia::kRangeValueIsReadOnly:
          if (node.percent) set_bool(out, true);
          return S_OK;
        case uia::kRangeValueMinimum:
          if (node.percent) set_double(out, 0);
          return S_OK;
        case uia::kRangeValueMaximum:
          if (node.percent) set_double(out, 100);
          return S_OK;
        default: return S_OK;  // VT_EMPTY: not supported here
      }
    });
  }

  HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!is_root()) return S_OK;
    if (hub_->closed()) return uia::kElementNotAvailable;
    const uia::Functions* api = uia::functions();
    return api != nullptr ? api->host_provider_from_hwnd(hwnd_, out) : S_OK;
  }

  // ---- IRawElementProviderFragment
  HRESULT STDMETHODCALLTYPE Navigate(enum NavigateDirection direction,
                                     IRawElementProviderFragment** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return guarded([&]() -> HRESULT {
      const auto found = find();
      if (!found) return is_root() && !hub_->closed() ? S_OK : uia::kElementNotAvailable;
      const AccessNode& node = found->node();
      std::int32_t target = kNoNode;
      switch (direction) {
        case NavigateDirection_Parent: target = node.parent; break;
        case NavigateDirection_NextSibling: target = node.next; break;
        case NavigateDirection_PreviousSibling: target = node.previous; break;
        case NavigateDirection_FirstChild: target = node.first_child; break;
        case NavigateDirection_LastChild: target = node.last_child; break;
      }
      if (target == kNoNode) return S_OK;
      return fragment_for(found->tree->nodes[static_cast<std::size_t>(target)].key, out);
    });
  }

  HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (is_root()) return hub_->closed() ? uia::kElementNotAvailable : S_OK;  // the host's
    return guarded([&]() -> HRESULT {
      if (!find()) return uia::kElementNotAvailable;
      const int parts[] = {uia::kAppendRuntimeId, static_cast<int>(key_.part),
                           static_cast<int>(key_.generation), static_cast<int>(key_.a),
                           static_cast<int>(key_.b)};
      SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 5);
      if (array == nullptr) return E_OUTOFMEMORY;
      for (LONG i = 0; i < 5; ++i) {
        int value = parts[i];
        if (FAILED(SafeArrayPutElement(array, &i, &value))) {
          SafeArrayDestroy(array);
          return E_FAIL;
        }
      }
      *out = array;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_BoundingRectangle(struct UiaRect* out) override {
    if (out == nullptr) return E_POINTER;
    *out = UiaRect{0, 0, 0, 0};
    if (is_root()) return hub_->closed() ? uia::kElementNotAvailable : S_OK;  // the host's
    return guarded([&]() -> HRESULT {
      const auto found = find();
      POINT origin{0, 0};
      if (!found || !ClientToScreen(hwnd_, &origin)) return uia::kElementNotAvailable;
      const gfx::RectF& r = found->node().rect;
      // The window is DPI-aware: client pixels are physical pixels, as UI Automation wants.
      *out = UiaRect{origin.x + static_cast<double>(r.x), origin.y + static_cast<double>(r.y),
                     static_cast<double>(r.width), static_cast<double>(r.height)};
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE SetFocus() override {
    return guarded([&]() -> HRESULT {
      const auto found = find();
      if (!found) return uia::kElementNotAvailable;
      if (!found->node().focusable) return uia::kInvalidOperation;
      if (!enabled()) return uia::kElementNotEnabled;
      return hub_->request({AccessRequest::Kind::Focus, key_}) ? S_OK : uia::kElementNotAvailable;
    });
  }

  HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (hub_->closed()) return uia::kElementNotAvailable;
    return guarded([&]() -> HRESULT {
      ComPtr<IRawElementProviderSimple> root = make_element_provider(hub_, hwnd_, AccessKey{});
      return root.CopyTo(out);
    });
  }

  // ---- IRawElementProviderFragmentRoot (the root only)
  HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y,
                                                     IRawElementProviderFragment** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return guarded([&]() -> HRESULT {
      const std::shared_ptr<const AccessTree> tree = hub_->read();
      POINT origin{0, 0};
      if (!tree || !ClientToScreen(hwnd_, &origin)) {
        return hub_->closed() ? uia::kElementNotAvailable : S_OK;
      }
      const std::int32_t at = tree->node_at(static_cast<float>(x - origin.x),
                                            static_cast<float>(y - origin.y));
      if (at == kNoNode || at == 0) return S_OK;  // outside, or the window itself
      return fragment_for(tree->nodes[static_cast<std::size_t>(at)].key, out);
    });
  }

  HRESULT STDMETHODCALLTYPE GetFocus(IRawElementProviderFragment** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return guarded([&]() -> HRESULT {
      const std::shared_ptr<const AccessTree> tree = hub_->read();
      if (!tree) return hub_->closed() ? uia::kElementNotAvailable : S_OK;
      if (tree->focus == kNoNode) return S_OK;
      return fragment_for(tree->nodes[static_cast<std::size_t>(tree->focus)].key, out);
    });
  }

  // ---- IInvokeProvider
  HRESULT STDMETHODCALLTYPE Invoke() override {
    return guarded([&]() -> HRESULT {
      const auto found = find();
      if (!found) return uia::kElementNotAvailable;
      if (found->node().action.kind == HitKind::None || !enabled()) return uia::kElementNotEnabled;
      // The action runs later on the window thread (it may open a menu), so the event goes
      // out now, as for any invocation that cannot be waited for.
      if (const uia::Functions* api = uia::functions()) {
        (void)api->raise_automation_event(static_cast<IRawElementProviderSimple*>(this),
                                          uia::kInvokedEvent);
      }
      return hub_->request({AccessRequest::Kind::Invoke, key_}) ? S_OK
                                                                 : uia::kElementNotAvailable;
    });
  }

  // ---- IRangeValueProvider (gauges: read-only, 0 to 100)
  HRESULT STDMETHODCALLTYPE SetValue(double) override { return uia::kElementNotEnabled; }
  HRESULT STDMETHODCALLTYPE get_Value(double* out) override {
    if (out == nullptr) return E_POINTER;
    *out = 0;
    return guarded([&]() -> HRESULT {
      const auto found = find();
      if (!found || !found->node().percent) return uia::kElementNotAvailable;
      *out = *found->node().percent;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* out) override { return constant(out, TRUE); }
  HRESULT STDMETHODCALLTYPE get_Maximum(double* out) override { return constant(out, 100.0); }
  HRESULT STDMETHODCALLTYPE get_Minimum(double* out) override { return constant(out, 0.0); }
  HRESULT STDMETHODCALLTYPE get_LargeChange(double* out) override { return constant(out, 0.0); }
  HRESULT STDMETHODCALLTYPE get_SmallChange(double* out) override { return constant(out, 0.0); }

 private:
  ~ElementProvider() = default;

  bool is_root() const { return key_.part == AccessPart::Root; }
  // While a modal box owns the window it is disabled, and so is everything in it.
  bool enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  bool invokable() const { return key_.part == AccessPart::Button || key_.part == AccessPart::Row; }

  // The element in the latest tree; nothing when the window is gone or the element is no
  // longer shown (another report, a toast that went, a button that is hidden while loading).
  std::optional<Found> find() const {
    Found found{hub_->read(), kNoNode};
    if (!found.tree || !IsWindow(hwnd_)) return std::nullopt;
    found.index = found.tree->find(key_);
    if (found.index == kNoNode) return std::nullopt;
    return found;
  }

  template <class T>
  HRESULT constant(T* out, T value) const {
    if (out == nullptr) return E_POINTER;
    if (!find()) return uia::kElementNotAvailable;
    *out = value;
    return S_OK;
  }

  HRESULT fragment_for(const AccessKey& key, IRawElementProviderFragment** out) const {
    ComPtr<IRawElementProviderSimple> simple = make_element_provider(hub_, hwnd_, key);
    ComPtr<IRawElementProviderFragment> fragment;
    const HRESULT hr = simple.As(&fragment);
    if (FAILED(hr)) return hr;
    *out = fragment.Detach();
    return S_OK;
  }

  std::atomic<ULONG> refs_{1};
  const std::shared_ptr<AccessHub> hub_;
  const HWND hwnd_;
  const AccessKey key_;
};

}  // namespace

ComPtr<IRawElementProviderSimple> make_element_provider(std::shared_ptr<AccessHub> hub, HWND hwnd,
                                                        const AccessKey& key) {
  ComPtr<IRawElementProviderSimple> provider;
  // The new object starts with one reference, which the ComPtr takes over.
  provider.Attach(new ElementProvider(std::move(hub), hwnd, key));
  return provider;
}

int control_type_of(AccessRole role) {
  switch (role) {
    case AccessRole::Window: return uia::kWindow;
    case AccessRole::Button: return uia::kButton;
    case AccessRole::Text: return uia::kText;
    case AccessRole::Group: return uia::kGroup;
    case AccessRole::ProgressBar: return uia::kProgressBar;
  }
  return uia::kText;
}

}  // namespace kestro::app

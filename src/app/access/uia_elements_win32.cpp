// The providers of everything below the window: texts, cards, rows, buttons, gauges, the
// note and the toast.

#include <windows.h>
#include <oleauto.h>

#include <optional>
#include <string>
#include <utility>

#include "app/access/uia_provider_base_win32.h"
#include "app/access/uia_values_win32.h"
#include "base/com_object_win32.h"

namespace kestro::app {

namespace {

using Microsoft::WRL::ComPtr;

// Everything below the window: texts, cards, rows, buttons, gauges, the note and the toast.
// `Patterns` are the pattern interfaces the element offers.
template <class... Patterns>
class Element
    : public ComObject<IRawElementProviderSimple, IRawElementProviderFragment, Patterns...>,
      protected ProviderBase {
 public:
  Element(std::shared_ptr<AccessHub> hub, HWND hwnd, const AccessKey& key)
      : ProviderBase(std::move(hub), hwnd, key) {}

  // ---- IRawElementProviderSimple
  HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* out) override {
    return server_side(out);
  }

  HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** out) override {
    return answer(out, [&](const Found& found, IUnknown** result) -> HRESULT {
      const AccessNode& node = found.node();
      const bool invoke = pattern == uia::kInvokePattern && node.action.kind != HitKind::None;
      const bool range = pattern == uia::kRangeValuePattern && node.percent;
      if (!invoke && !range) return S_OK;
      const IID iid = invoke ? __uuidof(IInvokeProvider) : __uuidof(IRangeValueProvider);
      (void)this->QueryInterface(iid, reinterpret_cast<void**>(result));  // null when not offered
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* out) override {
    return answer(out, [&](const Found& found, VARIANT* value) -> HRESULT {
      const AccessNode& node = found.node();
      switch (property) {
        case uia::kControlType: set_int(value, control_type_of(node.role)); return S_OK;
        case uia::kName: return set_string(value, node.name);
        case uia::kAutomationId: return set_string(value, automation_id(key_));
        case uia::kIsKeyboardFocusable: set_bool(value, node.focusable); return S_OK;
        case uia::kHasKeyboardFocus:
          set_bool(value, found.tree->focus == found.index);
          return S_OK;
        case uia::kIsEnabled: set_bool(value, enabled()); return S_OK;
        case uia::kIsControlElement:
        case uia::kIsContentElement: set_bool(value, true); return S_OK;
        case uia::kIsOffscreen: set_bool(value, node.offscreen); return S_OK;
        case uia::kIsInvokePatternAvailable:
          set_bool(value, node.action.kind != HitKind::None);
          return S_OK;
        case uia::kIsRangeValuePatternAvailable:
          set_bool(value, node.percent.has_value());
          return S_OK;
        case uia::kLiveSetting:
          if (node.live) set_int(value, uia::kLivePolite);
          return S_OK;
        case uia::kRangeValueValue:
          if (node.percent) set_double(value, *node.percent);
          return S_OK;
        case uia::kRangeValueIsReadOnly:
          if (node.percent) set_bool(value, true);
          return S_OK;
        case uia::kRangeValueMinimum:
          if (node.percent) set_double(value, 0);
          return S_OK;
        case uia::kRangeValueMaximum:
          if (node.percent) set_double(value, 100);
          return S_OK;
        default: return S_OK;  // VT_EMPTY: not supported here
      }
    });
  }

  HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;  // only the window has a host
    return S_OK;
  }

  // ---- IRawElementProviderFragment
  HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction,
                                     IRawElementProviderFragment** out) override {
    return answer(out, [&](const Found& found, IRawElementProviderFragment** result) {
      return navigate(found, direction, result);
    });
  }

  HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** out) override {
    return answer(out, [&](const Found&, SAFEARRAY** result) -> HRESULT {
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
      *result = array;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* out) override {
    return answer(out, [&](const Found& found, UiaRect* result) -> HRESULT {
      POINT origin{0, 0};
      if (!ClientToScreen(hwnd_, &origin)) return uia::kElementNotAvailable;
      const gfx::RectF& r = found.node().rect;
      // The window is DPI-aware: client pixels are physical pixels, as UI Automation wants.
      *result = UiaRect{origin.x + static_cast<double>(r.x), origin.y + static_cast<double>(r.y),
                        static_cast<double>(r.width), static_cast<double>(r.height)};
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** out) override {
    return no_embedded_roots(out);
  }

  HRESULT STDMETHODCALLTYPE SetFocus() override {
    return act([&](const Found& found) -> HRESULT {
      if (!found.node().focusable) return uia::kInvalidOperation;
      if (!enabled()) return uia::kElementNotEnabled;
      return hub_->request({AccessRequest::Kind::Focus, key_}) ? S_OK : uia::kElementNotAvailable;
    });
  }

  HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** out) override {
    return fragment_root(out);
  }
};

// Titles, cards, the note, the loading text and the toast.
class PlainElement final : public Element<> {
 public:
  using Element::Element;
};

// Toolbar buttons and rows: invoking one presses it as Enter does when it has the focus.
class InvokableElement final : public Element<IInvokeProvider> {
 public:
  using Element::Element;

  HRESULT STDMETHODCALLTYPE Invoke() override {
    return act([&](const Found& found) -> HRESULT {
      if (found.node().action.kind == HitKind::None || !enabled()) return uia::kElementNotEnabled;
      // The action runs later on the window thread (it may open a menu), so the event goes
      // out now, as for any invocation that cannot be waited for.
      if (const uia::Functions* api = uia::functions()) {
        (void)api->raise_automation_event(static_cast<IRawElementProviderSimple*>(this),
                                          uia::kInvokedEvent);
      }
      const bool asked = hub_->request({AccessRequest::Kind::Invoke, key_});
      return asked ? S_OK : uia::kElementNotAvailable;
    });
  }
};

// Gauges: read-only values from 0 to 100.
class GaugeElement final : public Element<IRangeValueProvider> {
 public:
  using Element::Element;

  HRESULT STDMETHODCALLTYPE SetValue(double) override { return uia::kElementNotEnabled; }
  HRESULT STDMETHODCALLTYPE get_Value(double* out) override {
    return answer(out, [](const Found& found, double* value) -> HRESULT {
      if (!found.node().percent) return uia::kElementNotAvailable;
      *value = *found.node().percent;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* out) override { return constant(out, TRUE); }
  HRESULT STDMETHODCALLTYPE get_Maximum(double* out) override { return constant(out, 100.0); }
  HRESULT STDMETHODCALLTYPE get_Minimum(double* out) override { return constant(out, 0.0); }
  HRESULT STDMETHODCALLTYPE get_LargeChange(double* out) override { return constant(out, 0.0); }
  HRESULT STDMETHODCALLTYPE get_SmallChange(double* out) override { return constant(out, 0.0); }

 private:
  template <class T>
  HRESULT constant(T* out, T value) const {
    return answer(out, [&](const Found&, T* result) {
      *result = value;
      return S_OK;
    });
  }
};

}  // namespace

ComPtr<IRawElementProviderSimple> make_part_provider(std::shared_ptr<AccessHub> hub, HWND hwnd,
                                                     const AccessKey& key) {
  ComPtr<IRawElementProviderSimple> provider;
  // Each new object starts with one reference, which the ComPtr takes over.
  switch (key.part) {
    case AccessPart::Button:
    case AccessPart::Row: provider.Attach(new InvokableElement(std::move(hub), hwnd, key)); break;
    case AccessPart::Gauge: provider.Attach(new GaugeElement(std::move(hub), hwnd, key)); break;
    default: provider.Attach(new PlainElement(std::move(hub), hwnd, key)); break;
  }
  return provider;
}

}  // namespace kestro::app

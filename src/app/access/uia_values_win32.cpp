#include "app/access/uia_values_win32.h"

#include "app/access/uia_win32.h"
#include "base/utf16_win32.h"

namespace kestro::app {

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

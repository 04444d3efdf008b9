#include "wmi/wmi_com_win32.h"

#include <windows.h>
#include <oleauto.h>
#include <wbemidl.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "base/utf16_win32.h"

namespace kestro::wmi {
namespace {

using Microsoft::WRL::ComPtr;

// Owns one BSTR.
class Bstr {
 public:
  explicit Bstr(std::string_view utf8) {
    const std::wstring wide = to_wide(utf8);
    text_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  }
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return text_; }

 private:
  BSTR text_ = nullptr;
};

// Owns one VARIANT and clears it on every path.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &value_; }

 private:
  VARIANT value_;
};

// One property as text. propsys' VariantToPropVariant/PropVariantToBSTR are not available
// everywhere the program runs (Wine lacks them), so oleaut32 converts instead; with the
// invariant locale numbers come out as plain decimal digits. Empty, null and anything that
// does not convert (arrays, objects) stay absent.
WmiValue read_property(IWbemClassObject& object, const std::wstring& name) {
  Variant value;
  if (FAILED(object.Get(name.c_str(), 0, value.get(), nullptr, nullptr))) return std::nullopt;
  const VARTYPE type = V_VT(value.get());
  if (type == VT_EMPTY || type == VT_NULL) return std::nullopt;
  Variant text;
  if (FAILED(VariantChangeTypeEx(text.get(), value.get(), LOCALE_INVARIANT, 0, VT_BSTR)) ||
      V_VT(text.get()) != VT_BSTR) {
    return std::nullopt;
  }
  const BSTR units = V_BSTR(text.get());
  if (!units) return std::nullopt;
  return make_value(from_wide(std::wstring_view(units, SysStringLen(units))));
}

class ComSession final : public WmiSession {
 public:
  explicit ComSession(ComPtr<IWbemServices> services) : services_(std::move(services)) {}

  WmiResult query_text(std::string_view wql, PropertyList properties) override {
    const Bstr language("WQL");
    const Bstr text(wql);
    if (!language.get() || !text.get()) return std::nullopt;
    ComPtr<IEnumWbemClassObject> enumerator;
    const HRESULT executed = services_->ExecQuery(
        language.get(), text.get(), WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY,
        nullptr, &enumerator);
    if (FAILED(executed) || !enumerator) return std::nullopt;

    std::vector<std::wstring> names;
    names.reserve(properties.size());
    for (const std::string_view name : properties) names.push_back(to_wide(name));

    RowCollector collector;
    for (;;) {
      ComPtr<IWbemClassObject> object;
      ULONG returned = 0;
      const HRESULT next =
          enumerator->Next(static_cast<LONG>(WBEM_INFINITE), 1, object.GetAddressOf(), &returned);
      if (returned == 0 || !object) return std::move(collector).finish(FAILED(next));
      WmiRow row;
      row.reserve(names.size());
      for (const std::wstring& name : names) row.push_back(read_property(*object.Get(), name));
      collector.add(std::move(row));
    }
  }

 private:
  ComPtr<IWbemServices> services_;
};

}  // namespace

std::unique_ptr<WmiSession> connect_wmi(std::string_view wmi_namespace) {
  ComPtr<IWbemLocator> locator;
  if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWbemLocator, reinterpret_cast<void**>(locator.GetAddressOf()))) ||
      !locator) {
    return nullptr;
  }
  const Bstr path(wmi_namespace);
  if (!path.get()) return nullptr;
  ComPtr<IWbemServices> services;
  if (FAILED(locator->ConnectServer(path.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                    &services)) ||
      !services) {
    return nullptr;
  }
  if (FAILED(CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                               RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                               EOAC_NONE))) {
    return nullptr;
  }
  // The locator is released here; the session keeps only the services interface.
  return std::make_unique<ComSession>(std::move(services));
}

}  // namespace kestro::wmi

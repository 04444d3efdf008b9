#include "wmi/wmi_com_win32.h"

#include <windows.h>
#include <oleauto.h>
#include <wbemidl.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "base/automation_win32.h"
#include "base/trace_win32.h"
#include "base/utf16_win32.h"
#include "wmi/bounded_query.h"

namespace kestro::wmi {
namespace {

using Microsoft::WRL::ComPtr;

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

// One query's objects through IEnumWbemClassObject::Next with a bounded wait.
class ComEnumerator final : public ObjectEnumerator {
 public:
  ComEnumerator(ComPtr<IEnumWbemClassObject> objects, PropertyList properties)
      : objects_(std::move(objects)) {
    names_.reserve(properties.size());
    for (const std::string_view name : properties) names_.push_back(to_wide(name));
  }

  NextOutcome next(Milliseconds wait, WmiRow& row) override {
    ComPtr<IWbemClassObject> object;
    ULONG returned = 0;
    const HRESULT status = objects_->Next(static_cast<LONG>(wait.count()), 1,
                                          object.GetAddressOf(), &returned);
    if (returned == 0 || !object) {
      // WBEM_S_TIMEDOUT is a success code: it must not read as the end of the objects.
      if (status == WBEM_S_TIMEDOUT) {
        trace_failure("IEnumWbemClassObject::Next", "no object within " + std::to_string(wait.count()) + " ms");
        return NextOutcome::TimedOut;
      }
      if (FAILED(status)) {
        trace_failure("IEnumWbemClassObject::Next", status);
        return NextOutcome::Failed;
      }
      return NextOutcome::End;
    }
    row.clear();
    row.reserve(names_.size());
    for (const std::wstring& name : names_) row.push_back(read_property(*object.Get(), name));
    return NextOutcome::Object;
  }

 private:
  ComPtr<IEnumWbemClassObject> objects_;
  std::vector<std::wstring> names_;
};

class ComSession final : public BoundedSession {
 public:
  ComSession(ComPtr<IWbemServices> services, std::shared_ptr<RunBudget> run)
      : BoundedSession(std::move(run)), services_(std::move(services)) {}

 protected:
  std::unique_ptr<ObjectEnumerator> execute(std::string_view wql,
                                            PropertyList properties) override {
    const Bstr language("WQL");
    const Bstr text(wql);
    if (!language.get() || !text.get()) return nullptr;
    ComPtr<IEnumWbemClassObject> objects;
    const HRESULT executed = services_->ExecQuery(
        language.get(), text.get(), WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY,
        nullptr, &objects);
    if (FAILED(executed) || !objects) {
      trace_failure("ExecQuery " + std::string(wql), executed);
      return nullptr;
    }
    return std::make_unique<ComEnumerator>(std::move(objects), properties);
  }

 private:
  ComPtr<IWbemServices> services_;
};

}  // namespace

std::unique_ptr<WmiSession> connect_wmi(std::string_view wmi_namespace,
                                        std::shared_ptr<RunBudget> run) {
  const std::string connecting = "Connecting to WMI " + std::string(wmi_namespace);
  ComPtr<IWbemLocator> locator;
  HRESULT hr = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWbemLocator, reinterpret_cast<void**>(locator.GetAddressOf()));
  if (FAILED(hr) || !locator) {
    trace_failure(connecting, hr);
    return nullptr;
  }
  const Bstr path(wmi_namespace);
  if (!path.get()) return nullptr;
  ComPtr<IWbemServices> services;
  // Without this flag a connection to a service that does not answer can wait for good;
  // with it the wait is bounded.
  hr = locator->ConnectServer(path.get(), nullptr, nullptr, nullptr, WBEM_FLAG_CONNECT_USE_MAX_WAIT,
                              nullptr, nullptr, &services);
  if (FAILED(hr) || !services) {
    trace_failure(connecting, hr);
    return nullptr;
  }
  hr = CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                         RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  if (FAILED(hr)) {
    trace_failure(connecting, hr);
    return nullptr;
  }
  // The locator is released here; the session keeps only the services interface.
  return std::make_unique<ComSession>(std::move(services), std::move(run));
}

}  // namespace kestro::wmi

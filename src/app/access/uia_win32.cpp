#include "app/access/uia_win32.h"

namespace kestro::uia {

namespace {

template <class F>
bool resolve(HMODULE module, const char* name, F& out) {
  out = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return out != nullptr;
}

Functions load() {
  Functions f{};
  HMODULE module = LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr) return f;
  const bool complete =
      resolve(module, "UiaReturnRawElementProvider", f.return_raw_element_provider) &&
      resolve(module, "UiaHostProviderFromHwnd", f.host_provider_from_hwnd) &&
      resolve(module, "UiaClientsAreListening", f.clients_are_listening) &&
      resolve(module, "UiaRaiseAutomationEvent", f.raise_automation_event);
  if (!complete) return Functions{};
  (void)resolve(module, "UiaDisconnectProvider", f.disconnect_provider);
  return f;
}

}  // namespace

const Functions* functions() {
  static const Functions loaded = load();  // thread-safe, once
  return loaded.return_raw_element_provider != nullptr ? &loaded : nullptr;
}

}  // namespace kestro::uia

#include "app/access/uia_win32.h"

#include "base/system_library_win32.h"

namespace kestro::uia {

namespace {

template <class F>
bool resolve(const char* name, F& out) {
  out = system_function<F>(L"uiautomationcore.dll", name);
  return out != nullptr;
}

Functions load() {
  Functions f{};
  const bool complete = resolve("UiaReturnRawElementProvider", f.return_raw_element_provider) &&
                        resolve("UiaHostProviderFromHwnd", f.host_provider_from_hwnd) &&
                        resolve("UiaClientsAreListening", f.clients_are_listening) &&
                        resolve("UiaRaiseAutomationEvent", f.raise_automation_event);
  if (!complete) return Functions{};
  (void)resolve("UiaDisconnectProvider", f.disconnect_provider);
  return f;
}

}  // namespace

const Functions* functions() {
  static const Functions loaded = load();  // thread-safe, once
  return loaded.return_raw_element_provider != nullptr ? &loaded : nullptr;
}

}  // namespace kestro::uia

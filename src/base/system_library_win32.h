#pragma once
// Functions of the system DLLs that Windows does not protect as known DLLs (d2d1, dwrite, d3d11,
// dxgi, dwmapi, wintrust, crypt32, bcrypt, version, uiautomationcore). Imported directly, such a
// DLL would first be looked for in the program's own folder, which any program of the user can
// write to (a Downloads folder, a per-user install); so each is loaded on first use from the
// system folder only, and never unloaded.

#include <windows.h>

namespace kestro {

// The system DLL `name` ("d2d1.dll"); null when it cannot be loaded.
HMODULE system_library(const wchar_t* name);

// The function `name` of the system DLL `library`, as a pointer of type `Function`; null when
// the DLL or the function is missing.
template <class Function>
Function system_function(const wchar_t* library, const char* name) {
  const HMODULE module = system_library(library);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// One function of a system DLL, looked up once on first use. Calling a missing one gives
// `missing`: keep one per function in a function-local static.
template <class Result, class... Args>
class SystemFunction {
 public:
  using Pointer = Result(WINAPI*)(Args...);

  SystemFunction(const wchar_t* library, const char* name, Result missing)
      : function_(system_function<Pointer>(library, name)), missing_(missing) {}

  Result operator()(Args... args) const {
    return function_ != nullptr ? function_(args...) : missing_;
  }
  explicit operator bool() const { return function_ != nullptr; }

 private:
  Pointer function_;
  Result missing_;
};

}  // namespace kestro

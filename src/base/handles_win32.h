#pragma once
// Owners of Windows handles and of a thread's COM initialisation: each releases exactly what
// it acquired, on every path out of its scope.

#include <windows.h>
#include <objbase.h>

#include <memory>
#include <type_traits>

namespace kestro {

// Calls `Close` on what it is given; std::unique_ptr calls it only for a non-null one.
template <auto Close>
struct CallToClose {
  template <class T>
  void operator()(T* resource) const {
    (void)Close(resource);
  }
};
// The one owner of a resource of handle type `Handle` (a pointer type, as HMENU, HDEVINFO or
// HLOCAL are) that `Close` releases.
template <class Handle, auto Close>
using ScopedOwner = std::unique_ptr<std::remove_pointer_t<Handle>, CallToClose<Close>>;

// A kernel handle (file, process, thread, event). Test with `valid()`: CreateFileW fails with
// INVALID_HANDLE_VALUE, most other calls with null.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}

  HANDLE get() const { return handle_.get(); }
  bool valid() const { return handle_ != nullptr; }
  void reset(HANDLE handle = nullptr) {
    handle_.reset(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
  }

 private:
  ScopedOwner<HANDLE, CloseHandle> handle_;
};

// COM for the current thread for the life of the object. A thread that already has another
// apartment keeps it: then the initialisation fails and nothing is undone at the end.
class ComApartment {
 public:
  explicit ComApartment(DWORD model) : initialised_(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
  ~ComApartment() {
    if (initialised_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  bool initialised() const { return initialised_; }

 private:
  bool initialised_;
};

}  // namespace kestro

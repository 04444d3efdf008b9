#pragma once
// Owners of Windows handles and of a thread's COM initialisation: each releases exactly what
// it acquired, on every path out of its scope.

#include <windows.h>
#include <objbase.h>

#include <memory>

namespace kestro {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
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
  std::unique_ptr<void, HandleCloser> handle_;
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

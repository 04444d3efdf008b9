#pragma once
// The IUnknown part of a COM object that implements `Interfaces`: a thread-safe reference
// count starting at one, and QueryInterface for IUnknown and each listed interface. The object
// deletes itself when the last reference goes.

#include <windows.h>
#include <unknwn.h>

#include <atomic>

namespace kestro {

template <class... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid == __uuidof(IUnknown)) {
      *out = static_cast<IUnknown*>(static_cast<First*>(this));
    } else {
      ((*out == nullptr && iid == __uuidof(Interfaces) ? (*out = static_cast<Interfaces*>(this))
                                                       : nullptr),
       ...);
    }
    if (*out == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;

 private:
  template <class Head, class...>
  struct FirstOf {
    using Type = Head;
  };
  using First = typename FirstOf<Interfaces...>::Type;

  std::atomic<ULONG> references_{1};
};

}  // namespace kestro

#pragma once
// Owners of the OLE Automation values COM calls take and give: a BSTR and a VARIANT, each
// freed or cleared on every path.

#include <windows.h>
#include <oleauto.h>

#include <string_view>

#include "base/utf16_win32.h"

namespace kestro {

// Owns one BSTR made from UTF-8; null when it could not be made (no memory).
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

}  // namespace kestro

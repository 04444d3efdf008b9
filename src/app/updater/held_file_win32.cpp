#include "app/updater/held_file_win32.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/updater/system_error_win32.h"
#include "app/updater/trust_functions_win32.h"
#include "base/utf16_win32.h"

namespace kestro::updater {
namespace {

// The first of the resource's languages that names a product.
std::optional<std::string> product_name(const void* data) {
  struct Translation {
    WORD language;
    WORD code_page;
  };
  Translation* translations = nullptr;
  UINT length = 0;
  if (!version_value(data, L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                     &length) ||
      translations == nullptr) {
    return std::nullopt;
  }
  for (UINT i = 0; i < length / sizeof(Translation); ++i) {
    wchar_t key[64];
    std::swprintf(key, std::size(key), L"\\StringFileInfo\\%04x%04x\\ProductName",
                  translations[i].language, translations[i].code_page);
    wchar_t* name = nullptr;
    UINT units = 0;
    if (version_value(data, key, reinterpret_cast<void**>(&name), &units) && name != nullptr) {
      return from_wide_up_to_nul(name, units);
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::uint64_t> HeldHandle::size() {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle_.get(), &size)) return failed();
  return static_cast<std::uint64_t>(size.QuadPart);
}

std::optional<std::size_t> HeldHandle::read(std::span<char> buffer) {
  DWORD got = 0;
  const auto want = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
  if (!ReadFile(handle_.get(), buffer.data(), want, &got, nullptr)) return failed();
  return got;
}

std::nullopt_t HeldHandle::failed() {
  error_ = os_error_text(GetLastError());
  return std::nullopt;
}

HeldOpen open_held_file(std::string_view path) {
  // Others may read (the installer start maps it), but nobody may write, rename or delete it
  // while it is held.
  UniqueHandle file(CreateFileW(to_wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                nullptr));
  if (!file.valid()) return {nullptr, os_error_text(GetLastError())};
  return {std::make_unique<HeldHandle>(std::move(file)), {}};
}

std::optional<std::wstring> final_path(HANDLE handle) {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(handle, buffer.data(),
                                                   static_cast<DWORD>(buffer.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return std::nullopt;
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

std::optional<std::wstring> final_path_of(std::string_view path) {
  const UniqueHandle file(CreateFileW(to_wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file.valid()) return std::nullopt;
  return final_path(file.get());
}

std::optional<VersionResource> held_version_resource(HeldFile& file) {
  const auto* held = dynamic_cast<const HeldHandle*>(&file);
  if (held == nullptr) return std::nullopt;
  // The version functions take a name; the held file's own resolved one leads nowhere else.
  const std::optional<std::wstring> path = final_path(held->get());
  if (!path) return std::nullopt;
  const DWORD size = version_info_size(path->c_str());
  if (size == 0) return std::nullopt;
  std::vector<char> data(size);
  if (!version_info(path->c_str(), size, data.data())) return std::nullopt;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!version_value(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != 0xFEEF04BD) {
    return std::nullopt;
  }
  return VersionResource{{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                          HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)},
                         product_name(data.data())};
}

}  // namespace kestro::updater

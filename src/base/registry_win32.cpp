#include "base/registry_win32.h"

#include <limits>

#include "base/trace_win32.h"
#include "base/utf16_win32.h"

namespace kestro {
namespace {

// A value that is not there, or is of another type, is an answer; anything else that fails
// is traced.
bool read_succeeded(LSTATUS status, std::string_view subkey, std::string_view value) {
  if (status == ERROR_SUCCESS) return true;
  if (status != ERROR_FILE_NOT_FOUND && status != ERROR_UNSUPPORTED_TYPE) {
    trace_failure("Reading " + std::string(subkey) + "\\" + std::string(value), HRESULT_FROM_WIN32(status));
  }
  return false;
}

bool write_succeeded(LSTATUS status, std::string_view subkey, std::string_view value) {
  if (status == ERROR_SUCCESS) return true;
  trace_failure("Writing " + std::string(subkey) + "\\" + std::string(value), HRESULT_FROM_WIN32(status));
  return false;
}

}  // namespace

std::optional<std::string> read_registry_text(HKEY root, std::string_view subkey,
                                              std::string_view value) {
  const std::wstring key = to_wide(subkey);
  const std::wstring name = to_wide(value);
  // RRF_NOEXPAND: without it a REG_EXPAND_SZ would be expanded and pass as REG_SZ.
  constexpr DWORD kFlags = RRF_RT_REG_SZ | RRF_NOEXPAND;
  DWORD bytes = 0;
  if (!read_succeeded(RegGetValueW(root, key.c_str(), name.c_str(), kFlags, nullptr, nullptr, &bytes),
                      subkey, value)) {
    return std::nullopt;
  }
  // One spare unit beyond the reported size: the text is then NUL-terminated even when the
  // stored bytes are an odd number or carry no terminator.
  std::vector<wchar_t> units(bytes / 2 + 1, L'\0');
  DWORD capacity = static_cast<DWORD>(units.size() * sizeof(wchar_t));
  if (!read_succeeded(RegGetValueW(root, key.c_str(), name.c_str(), kFlags, nullptr, units.data(), &capacity),
                      subkey, value)) {
    return std::nullopt;
  }
  return from_wide_up_to_nul(units.data(), units.size());
}

std::optional<std::uint32_t> read_registry_dword(HKEY root, std::string_view subkey,
                                                 std::string_view value) {
  const std::wstring key = to_wide(subkey);
  const std::wstring name = to_wide(value);
  DWORD number = 0;
  DWORD bytes = sizeof(number);
  if (!read_succeeded(RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &number, &bytes),
                      subkey, value)) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(number);
}

std::optional<std::vector<std::uint8_t>> read_registry_binary(HKEY root, std::string_view subkey,
                                                              std::string_view value) {
  const std::wstring key = to_wide(subkey);
  const std::wstring name = to_wide(value);
  DWORD bytes = 0;
  if (!read_succeeded(RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_BINARY, nullptr, nullptr, &bytes),
                      subkey, value)) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> data(bytes);
  if (bytes == 0) return data;
  DWORD capacity = bytes;
  if (!read_succeeded(RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_BINARY, nullptr, data.data(), &capacity),
                      subkey, value)) {
    return std::nullopt;
  }
  data.resize(capacity);
  return data;
}

bool write_registry_text(HKEY root, std::string_view subkey, std::string_view value,
                         std::string_view text) {
  std::wstring units = to_wide(text);
  // The stored byte count includes the terminating NUL.
  const std::size_t count = units.size() + 1;
  if (count > std::numeric_limits<DWORD>::max() / sizeof(wchar_t)) return false;
  const std::wstring key = to_wide(subkey);
  const std::wstring name = to_wide(value);
  return write_succeeded(RegSetKeyValueW(root, key.c_str(), name.c_str(), REG_SZ, units.c_str(),
                                         static_cast<DWORD>(count * sizeof(wchar_t))),
                         subkey, value);
}

bool write_registry_dword(HKEY root, std::string_view subkey, std::string_view value,
                          std::uint32_t number) {
  const std::wstring key = to_wide(subkey);
  const std::wstring name = to_wide(value);
  const DWORD data = number;
  return write_succeeded(RegSetKeyValueW(root, key.c_str(), name.c_str(), REG_DWORD, &data, sizeof(data)),
                         subkey, value);
}

bool write_registry_binary(HKEY root, std::string_view subkey, std::string_view value,
                           std::span<const std::uint8_t> bytes) {
  if (bytes.size() > std::numeric_limits<DWORD>::max()) return false;
  const std::wstring key = to_wide(subkey);
  const std::wstring name = to_wide(value);
  return write_succeeded(RegSetKeyValueW(root, key.c_str(), name.c_str(), REG_BINARY, bytes.data(),
                                         static_cast<DWORD>(bytes.size())),
                         subkey, value);
}

bool delete_registry_tree(HKEY root, std::string_view subkey) {
  // An empty path would name the root itself and empty the whole hive below it.
  if (subkey.empty()) return false;
  const std::wstring key = to_wide(subkey);
  const LSTATUS status = RegDeleteTreeW(root, key.c_str());
  return status == ERROR_FILE_NOT_FOUND || write_succeeded(status, subkey, "*");
}

}  // namespace kestro

#pragma once
// Small typed reads and writes of single registry values. Names are UTF-8; every call
// converts them to NUL-terminated UTF-16. Each read restricts the value's type, so a value
// of another type counts as missing.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

// A REG_SZ value (a REG_EXPAND_SZ counts as another type), up to its first NUL; unpaired surrogates become U+FFFD.
// Missing key or value, another type, or any failure gives nothing.
std::optional<std::string> read_registry_text(HKEY root, std::string_view subkey,
                                              std::string_view value);

// A REG_DWORD value.
std::optional<std::uint32_t> read_registry_dword(HKEY root, std::string_view subkey,
                                                 std::string_view value);

// The bytes of a REG_BINARY value, whatever their number (zero included).
std::optional<std::vector<std::uint8_t>> read_registry_binary(HKEY root, std::string_view subkey,
                                                              std::string_view value);

// Writes create the key when needed. They report success so tests can check it; the
// program itself ignores write failures.
bool write_registry_text(HKEY root, std::string_view subkey, std::string_view value,
                         std::string_view text);
bool write_registry_dword(HKEY root, std::string_view subkey, std::string_view value,
                          std::uint32_t number);
bool write_registry_binary(HKEY root, std::string_view subkey, std::string_view value,
                           std::span<const std::uint8_t> bytes);

// Deletes the key with all its values and subkeys. A missing key is not an error.
bool delete_registry_tree(HKEY root, std::string_view subkey);

}  // namespace kestro

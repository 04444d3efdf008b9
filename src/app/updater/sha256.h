#pragma once
// SHA-256 (FIPS 180-4) of a byte string: CNG (BCrypt) in Kestro.exe, OpenSSL's libcrypto in
// the host build.

#include <optional>
#include <string>
#include <string_view>

namespace kestro::updater {

// 64 lower-case hexadecimal digits, two per digest byte in order; nothing when the system's
// hashing failed.
std::optional<std::string> sha256_hex(std::string_view bytes);

// Lower-case hexadecimal of raw bytes.
std::string hex_lower(std::string_view bytes);

}  // namespace kestro::updater

#pragma once
// SHA-256 (FIPS 180-4): CNG (BCrypt) in Kestro.exe, OpenSSL's libcrypto in the host build.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kestro::updater {

// A digest fed piece by piece, so a large file never has to be in memory at once.
class Sha256 {
 public:
  virtual ~Sha256() = default;
  virtual void add(std::string_view bytes) = 0;
  // 64 lower-case hexadecimal digits, two per digest byte in order; nothing when the system's
  // hashing failed at any point (then every later call is a no-op).
  virtual std::optional<std::string> finish() = 0;
};

// The system's SHA-256, ready for the first piece.
std::unique_ptr<Sha256> system_sha256();

// The digest of `bytes` in one go.
std::optional<std::string> sha256_hex(std::string_view bytes);

// Lower-case hexadecimal of raw bytes.
std::string hex_lower(std::string_view bytes);

}  // namespace kestro::updater

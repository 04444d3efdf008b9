#include "app/updater/sha256.h"

namespace kestro::updater {

std::optional<std::string> sha256_hex(std::string_view bytes) {
  const std::unique_ptr<Sha256> digest = system_sha256();
  digest->add(bytes);
  return digest->finish();
}

std::string hex_lower(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

}  // namespace kestro::updater

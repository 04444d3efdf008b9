// Host build only (the Windows build hashes with CNG, sha256_bcrypt_win32.cpp).
#include <openssl/evp.h>

#include <memory>

#include "app/updater/sha256.h"

namespace kestro::updater {

std::optional<std::string> sha256_hex(std::string_view bytes) {
  const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                       &EVP_MD_CTX_free);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1 ||
      EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) != 1 ||
      EVP_DigestFinal_ex(context.get(), digest, &length) != 1 || length != 32) {
    return std::nullopt;
  }
  return hex_lower(std::string_view(reinterpret_cast<const char*>(digest), length));
}

}  // namespace kestro::updater

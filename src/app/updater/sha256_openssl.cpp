// Host build only (the Windows build hashes with CNG, sha256_bcrypt_win32.cpp).
#include <openssl/evp.h>

#include <memory>

#include "app/updater/sha256.h"

namespace kestro::updater {

namespace {

class OpensslSha256 final : public Sha256 {
 public:
  OpensslSha256() : context_(EVP_MD_CTX_new(), &EVP_MD_CTX_free) {
    ok_ = context_ && EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) == 1;
  }

  void add(std::string_view bytes) override {
    if (ok_) ok_ = EVP_DigestUpdate(context_.get(), bytes.data(), bytes.size()) == 1;
  }

  std::optional<std::string> finish() override {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!ok_ || EVP_DigestFinal_ex(context_.get(), digest, &length) != 1 || length != 32) {
      ok_ = false;
      return std::nullopt;
    }
    ok_ = false;  // finished: nothing more can be added
    return hex_lower(std::string_view(reinterpret_cast<const char*>(digest), length));
  }

 private:
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context_;
  bool ok_ = false;
};

}  // namespace

std::unique_ptr<Sha256> system_sha256() { return std::make_unique<OpensslSha256>(); }

}  // namespace kestro::updater

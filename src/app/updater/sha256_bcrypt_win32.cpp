#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <memory>

#include "app/updater/sha256.h"
#include "base/handles_win32.h"

namespace kestro::updater {

namespace {

NTSTATUS close_algorithm(BCRYPT_ALG_HANDLE algorithm) {
  return BCryptCloseAlgorithmProvider(algorithm, 0);
}

bool ok(NTSTATUS status) { return status >= 0; }

class CngSha256 final : public Sha256 {
 public:
  CngSha256() {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!ok(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) return;
    algorithm_.reset(algorithm);
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!ok(BCryptCreateHash(algorithm_.get(), &hash, nullptr, 0, nullptr, 0, 0))) return;
    hash_.reset(hash);
  }

  void add(std::string_view bytes) override {
    // The length of each call is a ULONG, so very large inputs go in pieces.
    while (hash_ && !bytes.empty()) {
      const std::size_t piece = std::min<std::size_t>(bytes.size(), 1u << 30);
      auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
      if (!ok(BCryptHashData(hash_.get(), data, static_cast<ULONG>(piece), 0))) hash_.reset();
      bytes.remove_prefix(piece);
    }
  }

  std::optional<std::string> finish() override {
    unsigned char digest[32];
    const bool finished = hash_ && ok(BCryptFinishHash(hash_.get(), digest, sizeof digest, 0));
    hash_.reset();  // a finished hash takes nothing more
    if (!finished) return std::nullopt;
    return hex_lower(std::string_view(reinterpret_cast<const char*>(digest), sizeof digest));
  }

 private:
  ScopedOwner<BCRYPT_ALG_HANDLE, close_algorithm> algorithm_;
  ScopedOwner<BCRYPT_HASH_HANDLE, BCryptDestroyHash> hash_;
};

}  // namespace

std::unique_ptr<Sha256> system_sha256() { return std::make_unique<CngSha256>(); }

}  // namespace kestro::updater

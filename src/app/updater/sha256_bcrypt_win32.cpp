#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <memory>

#include "app/updater/sha256.h"

namespace kestro::updater {

namespace {

struct AlgorithmCloser {
  void operator()(void* algorithm) const { BCryptCloseAlgorithmProvider(algorithm, 0); }
};
struct HashDestroyer {
  void operator()(void* hash) const { BCryptDestroyHash(hash); }
};

bool ok(NTSTATUS status) { return status >= 0; }

}  // namespace

std::optional<std::string> sha256_hex(std::string_view bytes) {
  BCRYPT_ALG_HANDLE algorithm_handle = nullptr;
  if (!ok(BCryptOpenAlgorithmProvider(&algorithm_handle, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return std::nullopt;
  }
  const std::unique_ptr<void, AlgorithmCloser> algorithm(algorithm_handle);
  BCRYPT_HASH_HANDLE hash_handle = nullptr;
  if (!ok(BCryptCreateHash(algorithm.get(), &hash_handle, nullptr, 0, nullptr, 0, 0))) {
    return std::nullopt;
  }
  const std::unique_ptr<void, HashDestroyer> hash(hash_handle);
  // One pass; the length of each call is a ULONG, so very large inputs go in pieces.
  while (!bytes.empty()) {
    const std::size_t piece = std::min<std::size_t>(bytes.size(), 1u << 30);
    auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
    if (!ok(BCryptHashData(hash.get(), data, static_cast<ULONG>(piece), 0))) return std::nullopt;
    bytes.remove_prefix(piece);
  }
  unsigned char digest[32];
  if (!ok(BCryptFinishHash(hash.get(), digest, sizeof digest, 0))) return std::nullopt;
  return hex_lower(std::string_view(reinterpret_cast<const char*>(digest), sizeof digest));
}

}  // namespace kestro::updater
